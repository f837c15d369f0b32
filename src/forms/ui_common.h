#pragma once

#include <QFont>
#include <Qt>

// What every window of the program draws its controls with.

// DejaVu Sans at the given pixel size: at the sizes the windows use it keeps every caption
// inside its box on Linux.
QFont UiFont(int pixelSize);

// Shows a cursor over the whole application while it lives; the previous one comes back when it
// ends, or earlier at Restore(), whatever happens meanwhile.
class OverrideCursor {
 public:
  explicit OverrideCursor(Qt::CursorShape shape);
  ~OverrideCursor() { Restore(); }
  OverrideCursor(const OverrideCursor&) = delete;
  OverrideCursor& operator=(const OverrideCursor&) = delete;
  void Restore();

 private:
  bool active_ = true;
};
