#include "U_about.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <cmath>

#include "engine/bitmap.h"
#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "engine/render.h"
#include "engine/view.h"

namespace {

constexpr int kClientWidth = 265;
constexpr int kClientHeight = 198;
constexpr int kPictureSize = 73;

}  // namespace

TAboutForm::TAboutForm(zirvanta::SharedState& state, TMainLink& link)
    : QWidget(link.MainWindow(), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                     Qt::WindowCloseButtonHint),
      state_(state) {
  state_.windows.aboutWindowOpen = true;
  setObjectName(QStringLiteral("AboutForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("About Zirvanta"));
  setFont(link.MainWindow()->font());
  setFixedSize(kClientWidth, kClientHeight);

  GoodByePicture = new QLabel(this);
  GoodByePicture->setObjectName(QStringLiteral("GoodByePicture"));
  GoodByePicture->setGeometry(16, 40, kPictureSize, kPictureSize);
  GoodByePicture->setPixmap(QPixmap::fromImage(GoodByeImage()));

  Label2 = new QLabel(QStringLiteral("Version 1.02"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->move(104, 39);
  Label2->adjustSize();

  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setGeometry(184, 162, 65, 22);
  CloseButton->setDefault(true);
  CloseButton->installEventFilter(this);
  installEventFilter(this);
  connect(CloseButton, &QPushButton::clicked, this, &TAboutForm::CloseButtonClick);

  // The main window's outer place; this window's outer width is its client width plus the
  // frame the main window has.
  const QWidget* main = link.MainWindow();
  const QRect mainFrame = main->frameGeometry();
  const int frameWidth = kClientWidth + (mainFrame.width() - main->width());
  move(static_cast<int>(std::trunc(mainFrame.left() + (mainFrame.width() - frameWidth) * 0.5)),
       mainFrame.top() + 120);
}

QImage TAboutForm::GoodByeImage() {
  zirvanta::FractalState fractal;  // the "rabbit", with an LSL palette from black
  fractal.cx = -0.123;
  fractal.cy = 0.745;
  fractal.palette = zirvanta::PaletteParams{6, 0, 0, 0, 40, 17, 0};
  zirvanta::Palette palette;
  zirvanta::BuildPalette(fractal.palette, palette);
  zirvanta::Bitmap bitmap(kPictureSize, kPictureSize, zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(
      zirvanta::ScreenGeometry(0.0f, 0.0f, 2.4f, kPictureSize, kPictureSize), fractal, palette,
      bitmap);
  QImage image(bitmap.Row(0), kPictureSize, kPictureSize, static_cast<qsizetype>(bitmap.Stride()),
               QImage::Format_RGB32);
  return image.copy();
}

void TAboutForm::CloseButtonClick() { close(); }

void TAboutForm::closeEvent(QCloseEvent* event) {
  state_.windows.aboutWindowOpen = false;
  event->accept();
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
