#include "U_slideform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include "files/fractal_file.h"
#include "forms/ui_common.h"
#include "forms/file_messages.h"

namespace {

// SLIDE: a 32 x 32 cursor with every pixel transparent, hot spot (15, 13).
QCursor SlideCursor() {
  QPixmap blank(32, 32);
  blank.fill(Qt::transparent);
  return QCursor(blank, 15, 13);
}

constexpr int kMesPixels = 27;

}  // namespace

TSlideForm::TSlideForm(zirvanta::SharedState& state, TMainLink& link, TScreenPicture& picture,
                       zirvanta::TSlideList& list, zirvanta::SlideRandom& random, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      state_(state),
      picture_(picture),
      list_(list),
      random_(random),
      screen_(link.MainWindow()->screen() ? link.MainWindow()->screen()
                                          : QGuiApplication::primaryScreen()),
      fractal_(state.fractal),
      palette_(state.palette),
      typeKnown_(state.fractal.fractalType == zirvanta::kFractalTypeZSquaredPlusC) {
  setObjectName(QStringLiteral("SlideForm"));
  setModal(true);
  QPalette teal = palette();
  teal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
  setPalette(teal);
  setAutoFillBackground(true);

  if (screen_) setScreen(screen_);
  const QRect area = screen_ ? screen_->geometry() : QRect(0, 0, 1, 1);
  setGeometry(area);

  Slide = new TPictureBox(this);
  Slide->ShowInDevicePixels(true);
  Slide->setObjectName(QStringLiteral("Slide"));
  Slide->setGeometry(0, 0, area.width(), area.height());
  Slide->setCursor(SlideCursor());
  connect(Slide, &TPictureBox::Clicked, this, &QWidget::close);

  Mes = new QLabel(QStringLiteral("( Unknown fractal type)"), this);
  Mes->setObjectName(QStringLiteral("Mes"));
  Mes->setFont(UiFont(kMesPixels));
  Mes->setAlignment(Qt::AlignCenter);
  QPalette aqua = Mes->palette();
  aqua.setColor(QPalette::WindowText, QColor(0x00, 0xFF, 0xFF));
  Mes->setPalette(aqua);
  Mes->adjustSize();
  Mes->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(zirvanta::SlideTimerIntervalMs(state.slideDelay));
  connect(Timer1, &QTimer::timeout, this, &TSlideForm::Timer1Timer);
  // The first slide's delay runs from here, its computation included.
  Timer1->start();
  ShowNextSlide();
}

int TSlideForm::exec() {
  if (QGuiApplication::platformName() == QLatin1String("wayland")) {
    setWindowState(windowState() | Qt::WindowFullScreen);
  }
  return QDialog::exec();
}

void TSlideForm::Timer1Timer() {
  // Ticks must not pile up while a slide is computed or a message is shown.
  Timer1->stop();
  ShowNextSlide();
  if (isVisible()) Timer1->start();
}

void TSlideForm::ShowNextSlide() {
  const std::string name = list_.PickNextSlide(state_.slideOrder, random_);
  // Opened by its full path: the process's current directory is left alone.
  const zirvanta::ReadOutcome outcome = zirvanta::ReadFractalFile(
      state_.FractalFolder + "/" + name, fractal_, palette_, state_.UseFractalPalette);
  if (outcome.opened) {
    typeKnown_ = outcome.fractalTypeKnown;
  } else {
    ShowReadFailure(this);
  }
  if (typeKnown_) {
    Mes->hide();
    Slide->show();
    picture_.Render(fractal_, palette_, DevicePixelSize(screen_));
    Slide->SetSurface(picture_.Surface());
    Slide->repaint();
  } else {
    Slide->hide();
    Mes->move(static_cast<int>((width() - Mes->width()) * 0.5), static_cast<int>(height() * 0.4));
    Mes->show();
  }
}

void TSlideForm::keyPressEvent(QKeyEvent* event) {
  event->accept();
  close();
}

void TSlideForm::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) close();
}

void TSlideForm::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TSlideForm::closeEvent(QCloseEvent* event) {
  FormClose();
  QDialog::closeEvent(event);
}

void TSlideForm::FormClose() {
  Timer1->stop();
  state_.windows.slideShowRunning = false;
}
