#include "U_fullscreen.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "engine/view.h"

namespace {

constexpr zirvanta::Colour kBlack{0, 0, 0};

}  // namespace

TScreenPicture::TScreenPicture(std::function<zirvanta::Renderer&()> renderer)
    : renderer_(std::move(renderer)) {}

void TScreenPicture::Render(const zirvanta::FractalState& state, const zirvanta::Palette& palette,
                            QSize size) {
  const int width = std::max(size.width(), 1);
  const int height = std::max(size.height(), 1);
  if (!surface_ || surface_->Width() != width || surface_->Height() != height) {
    surface_.reset();  // the old pixels go before the new ones are asked for
    surface_ = std::make_unique<zirvanta::DrawingSurface>(width, height, kBlack);
  }
  const zirvanta::PictureGeometry geometry =
      zirvanta::ScreenGeometry(state.centreX, state.centreY, state.viewWidth, width, height);
  zirvanta::Renderer& renderer = renderer_();
  surface_->Draw([&](zirvanta::Bitmap& pixels) {
    renderer.RenderPicture(geometry, state, palette, pixels);
  });
}

QSize DevicePixelSize(const QScreen* screen) {
  if (!screen) return {1, 1};
  const QSize logical = screen->geometry().size();
  const qreal ratio = screen->devicePixelRatio();
  return {static_cast<int>(logical.width() * ratio), static_cast<int>(logical.height() * ratio)};
}

void ShowOverScreen(QWidget* window, QScreen* screen) {
  if (screen) {
    window->setScreen(screen);
    window->setGeometry(screen->geometry());
  }
  if (QGuiApplication::platformName() == QLatin1String("wayland")) {
    window->showFullScreen();
  } else {
    window->show();
  }
  window->raise();
  window->activateWindow();
}

TFullScreenForm::TFullScreenForm(zirvanta::SharedState& state, TMainLink& link,
                                 TScreenPicture& picture, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      state_(state),
      picture_(picture),
      screen_(link.MainWindow()->screen() ? link.MainWindow()->screen()
                                          : QGuiApplication::primaryScreen()) {
  setObjectName(QStringLiteral("FullScreenForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFocusPolicy(Qt::StrongFocus);
  const QRect area = screen_ ? screen_->geometry() : QRect(0, 0, 1, 1);
  setGeometry(area);
  Image = new TPictureBox(this);
  Image->ShowInDevicePixels(true);
  Image->setObjectName(QStringLiteral("Image"));
  Image->setGeometry(0, 0, area.width(), area.height());
  connect(Image, &TPictureBox::Clicked, this, &QWidget::close);
  RenderFullScreen();
}

void TFullScreenForm::Show() { ShowOverScreen(this, screen_); }

void TFullScreenForm::RenderFullScreen() {
  picture_.Render(state_.fractal, state_.palette, DevicePixelSize(screen_));
  Image->SetSurface(picture_.Surface());
  Image->repaint();
}

void TFullScreenForm::keyPressEvent(QKeyEvent* event) {
  event->accept();
  close();
}

void TFullScreenForm::closeEvent(QCloseEvent* event) {
  state_.windows.fullScreenShown = false;
  event->accept();
  emit Closed();
}
