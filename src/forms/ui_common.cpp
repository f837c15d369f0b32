#include "ui_common.h"

#include <QCursor>
#include <QGuiApplication>
#include <QString>

QFont UiFont(int pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
}

OverrideCursor::OverrideCursor(Qt::CursorShape shape) {
  QGuiApplication::setOverrideCursor(QCursor(shape));
}

void OverrideCursor::Restore() {
  if (active_) QGuiApplication::restoreOverrideCursor();
  active_ = false;
}
