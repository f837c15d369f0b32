#pragma once

// A stand-in for the main window's side of the shared state, for building a dialog alone: the
// render thread is idle unless the test says otherwise, and every call is counted.
#include <QCursor>
#include <QRect>
#include <QString>
#include <QWidget>

#include "forms/main_link.h"

namespace form_test {

class MainLinkDouble final : public TMainLink {
 public:
  bool idle = true;
  int wakes = 0, sweepStops = 0, fullScreenRedraws = 0, fractalsTaken = 0, palettesTaken = 0;
  bool lastPaletteTaken = false;
  QString hint, title;
  QWidget window;  // the anchor dialogs place themselves by
  QRect picture{46, 20, 530, 409};
  QCursor cursor;

  bool RenderThreadIdle() const override { return idle; }
  void WakeRenderThread() override { ++wakes; }
  void ShowHint(const QString& text) override { hint = text; }
  const QCursor& ScreenCursor(int) const override { return cursor; }
  void StopAllSweeps() override { ++sweepStops; }
  void RedrawFullScreen() override { ++fullScreenRedraws; }
  void FractalTaken(bool paletteTaken) override {
    ++fractalsTaken;
    lastPaletteTaken = paletteTaken;
  }
  void PaletteTaken() override { ++palettesTaken; }
  QWidget* MainWindow() override { return &window; }
  QRect PictureScreenRect() const override { return picture; }
  void SetApplicationTitle(const QString& text) override { title = text; }
};

}  // namespace form_test
