#include "group_frame.h"

#include <QPainter>

TGroupFrame::TGroupFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

void TGroupFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics metrics(font());
  const int lineY = metrics.height() / 2;
  const QRect frame(0, lineY, width() - 1, height() - 1 - lineY);
  // An etched line: dark, with a light line beside it.
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(frame);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(frame.translated(1, 1).adjusted(0, 0, -1, -1));

  const QString caption = title();
  if (caption.isEmpty()) return;
  const QRect text(8, 0, metrics.horizontalAdvance(caption) + 4, metrics.height());
  painter.fillRect(text, palette().color(QPalette::Window));
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::WindowText));
  painter.drawText(text, Qt::AlignCenter, caption);
}
