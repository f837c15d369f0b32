#include "tiny_button.h"

#include <QPainter>
#include <QStyleOptionButton>

TTinyButton::TTinyButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
  setText(caption);
  setFocusPolicy(Qt::NoFocus);
}

void TTinyButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect box = rect();
  const bool down = isDown();
  const QPalette& colours = palette();
  painter.fillRect(box, colours.button());
  // A one-pixel bevel: light on the top and left when raised, dark when pressed.
  painter.setPen(down ? colours.dark().color() : colours.light().color());
  painter.drawLine(box.topLeft(), box.topRight());
  painter.drawLine(box.topLeft(), box.bottomLeft());
  painter.setPen(down ? colours.light().color() : colours.shadow().color());
  painter.drawLine(box.bottomLeft(), box.bottomRight());
  painter.drawLine(box.topRight(), box.bottomRight());

  // The glyph's ink, not its line box, is what has to fit: centre the tight bounds.
  const QRect ink = painter.fontMetrics().tightBoundingRect(text());
  const QPoint origin(box.x() + (box.width() - ink.width()) / 2 - ink.x() + (down ? 1 : 0),
                      box.y() + (box.height() - ink.height()) / 2 - ink.y() + (down ? 1 : 0));
  painter.setPen(isEnabled() ? colours.buttonText().color() : colours.mid().color());
  painter.drawText(origin, text());
}
