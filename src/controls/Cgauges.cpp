#include "Cgauges.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <stdexcept>

TCGauge::TCGauge(QWidget* parent) : QWidget(parent) {
  resize(100, 100);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCGauge::SetKind(TCGaugeKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  Redraw();
}

void TCGauge::SetShowText(bool show) {
  if (show == showText_) return;
  showText_ = show;
  Redraw();
}

void TCGauge::SetBorderStyle(TGaugeBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Redraw();
}

void TCGauge::SetForeColor(const QColor& colour) {
  if (colour == foreColor_) return;
  foreColor_ = colour;
  Redraw();
}

void TCGauge::SetBackColor(const QColor& colour) {
  if (colour == backColor_) return;
  backColor_ = colour;
  Redraw();
}

void TCGauge::SetMinValue(int value) {
  if (value == minValue_) return;
  if (value > maxValue_) {
    throw std::invalid_argument("The minimum of the gauge cannot be above its maximum.");
  }
  minValue_ = value;
  progress_ = std::max(progress_, minValue_);
  Redraw();
}

void TCGauge::SetMaxValue(int value) {
  if (value == maxValue_) return;
  if (value < minValue_) {
    throw std::invalid_argument("The maximum of the gauge cannot be below its minimum.");
  }
  maxValue_ = value;
  progress_ = std::min(progress_, maxValue_);
  Redraw();
}

void TCGauge::SetProgress(int value) {
  const int clamped = std::clamp(value, minValue_, maxValue_);
  if (clamped == progress_) return;
  const int before = PercentDone();
  progress_ = clamped;
  if (PercentDone() != before) Redraw();
}

void TCGauge::AddProgress(int delta) {
  // Summed in 64 bits, so a large step cannot overflow before the clamp.
  const int64_t sum = int64_t{progress_} + delta;
  progress_ = static_cast<int>(std::clamp<int64_t>(sum, minValue_, maxValue_));
  Redraw();
}

int TCGauge::PercentDone() const {
  const int64_t range = int64_t{maxValue_} - minValue_;
  if (range == 0) return 0;
  // Progress is never below the minimum, so the quotient is never negative: truncation floors.
  return static_cast<int>((int64_t{progress_} - minValue_) * 100 / range);
}

QImage TCGauge::Picture() const {
  QImage image(size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  // The drawing rectangle, with inclusive right and bottom edges.
  int left = 0, top = 0, right = width() - 1, bottom = height() - 1;
  if (borderStyle_ == TGaugeBorderStyle::bsSingle) ++left, ++top, --right, --bottom;
  const int fillWidth = right - left + 1;
  const int fillHeight = bottom - top + 1;
  if (fillWidth <= 0 || fillHeight <= 0) return image;
  const QRect area(left, top, fillWidth, fillHeight);
  const int percent = PercentDone();

  QPainter painter(&image);
  painter.setClipRect(area);
  painter.fillRect(area, backColor_);
  switch (kind_) {
    case TCGaugeKind::gkText:
      break;
    case TCGaugeKind::gkHorizontalBar: {
      const int bar = std::min(static_cast<int>(std::floor(percent * 0.01 * fillWidth)), fillWidth);
      if (bar > 0) painter.fillRect(QRect(left, top, bar, fillHeight), foreColor_);
      break;
    }
    case TCGaugeKind::gkVerticalBar: {
      const int bar =
          std::min(static_cast<int>(std::floor(percent * 0.01 * fillHeight)), fillHeight);
      if (bar > 0) painter.fillRect(QRect(left, bottom - bar + 1, fillWidth, bar), foreColor_);
      break;
    }
    case TCGaugeKind::gkPie: {
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(Qt::black);
      painter.setBrush(backColor_);
      const QRectF circle = QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5);
      painter.drawEllipse(circle);
      painter.setBrush(foreColor_);
      // From twelve o'clock, clockwise; Qt counts sixteenths of a degree anticlockwise.
      if (percent > 0) painter.drawPie(circle, 90 * 16, -percent * 360 * 16 / 100);
      break;
    }
    case TCGaugeKind::gkNeedle: {
      painter.setRenderHint(QPainter::Antialiasing);
      const QRectF dial(left + 0.5, top + 0.5, fillWidth - 1.0, 2.0 * fillHeight - 1.0);
      painter.setPen(Qt::black);
      painter.setBrush(foreColor_);
      painter.drawPie(dial, 0, 180 * 16);
      const double angle = M_PI * (1.0 - percent / 100.0);
      const QPointF hub(dial.center().x(), bottom + 0.5);
      painter.drawLine(hub, hub + QPointF(std::cos(angle) * dial.width() / 2,
                                          -std::sin(angle) * dial.height() / 2));
      break;
    }
  }

  if (showText_) {
    const QString text = QString::number(percent) + QLatin1Char('%');
    QFont textFont = font();
    // Whole glyph pixels only: an exclusive-or of a partly covered pixel would mean nothing.
    textFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(textFont);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    const QFontMetrics metrics(textFont);
    const int x = (right - left - metrics.horizontalAdvance(text) + 1) / 2;
    const int y = (bottom - top - metrics.height() + 1) / 2;
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
  }
  return image;
}

void TCGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Picture());
}
