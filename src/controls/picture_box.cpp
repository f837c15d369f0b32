#include "picture_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// The surface's Bgrx32 rows are 0xffRRGGBB words in memory on a little-endian machine.
QImage WrapPixels(const zirvanta::Bitmap& pixels) {
  return QImage(pixels.Data(), static_cast<int>(pixels.Width()), static_cast<int>(pixels.Height()),
                static_cast<qsizetype>(pixels.Stride()), QImage::Format_RGB32);
}

QPoint PositionOf(const QMouseEvent* event) { return event->position().toPoint(); }

}  // namespace

TPictureBox::TPictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

void TPictureBox::SetSurface(const zirvanta::DrawingSurface* surface) {
  surface_ = surface;
  update();
}

QImage TPictureBox::Picture() const {
  QImage copy;
  if (surface_) {
    surface_->Read([&](const zirvanta::Bitmap& pixels) { copy = WrapPixels(pixels).copy(); });
  }
  return copy;
}

void TPictureBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!surface_) {
    painter.fillRect(event->rect(), devicePixels_ ? QBrush(Qt::black) : palette().window());
    return;
  }
  surface_->Read([&](const zirvanta::Bitmap& pixels) {
    QImage image = WrapPixels(pixels);
    if (devicePixels_) {
      image.setDevicePixelRatio(devicePixelRatioF());
      painter.drawImage(QPoint(0, 0), image);
    } else {
      painter.drawImage(event->rect().topLeft(), image, event->rect());
    }
  });
}

void TPictureBox::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  const QPoint at = PositionOf(event);
  emit MouseDown(event->button(), event->buttons(), at.x(), at.y());
}

void TPictureBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = PositionOf(event);
  emit MouseMove(event->buttons(), at.x(), at.y());
}

void TPictureBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = PositionOf(event);
  const bool click = pressed_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  pressed_ = false;
  emit MouseUp(event->button(), event->buttons(), at.x(), at.y());
  if (click) emit Clicked();
}

TImageBox::TImageBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& TImageBox::Canvas() {
  if (image_.isNull()) {
    image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(palette().window().color());
  }
  return image_;
}

void TImageBox::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().window());
  if (!image_.isNull()) painter.drawImage(event->rect().topLeft(), image_, event->rect());
}
