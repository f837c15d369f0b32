#pragma once

#include <QDialog>

#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "files/slide_list.h"
#include "forms/U_fullscreen.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class QLabel;
class QScreen;
class QTimer;

// The slide show: the fractal files of the list one after the other over the whole screen the
// main window is on, each for the slide delay, until a key or a click. Shown modally, so the
// main window and its shortcuts are blocked meanwhile.
//
// The slides are read into a copy of the fractal and palette taken at creation, so the shared
// state, which the live render thread reads, is never written: after the show the main window
// shows and saves exactly what it did before, its controls untouched. Reads slideDelay,
// slideOrder, UseFractalPalette and FractalFolder; clears windows.slideShowRunning when it
// closes (the main window sets it before creating the window).
class TSlideForm : public QDialog {
  Q_OBJECT
 public:
  // Shows the first slide at once; a file that cannot be read gives the reader's message.
  // Throws std::bad_alloc when a picture of the screen's size does not fit in memory.
  TSlideForm(zirvanta::SharedState& state, TMainLink& link, TScreenPicture& picture,
             zirvanta::TSlideList& list, zirvanta::SlideRandom& random, QWidget* parent = nullptr);

  // Brings the window up over the screen and runs it until it closes.
  int exec() override;
  void done(int result) override;

  // The timer's handler: the next slide, with the timer stopped while it is computed.
  void Timer1Timer();

  // The fractal and palette of the slide shown (or of the main window before the first one).
  const zirvanta::FractalState& SlideFractal() const { return fractal_; }
  const zirvanta::Palette& SlidePalette() const { return palette_; }

  TPictureBox* Slide = nullptr;
  QLabel* Mes = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;      // FormKeyDown: any key
  void mouseReleaseEvent(QMouseEvent* event) override;  // FormClick, where the picture is hidden
  void closeEvent(QCloseEvent* event) override;       // FormClose

 private:
  void ShowNextSlide();
  void FormClose();

  zirvanta::SharedState& state_;
  TScreenPicture& picture_;
  zirvanta::TSlideList& list_;
  zirvanta::SlideRandom& random_;
  QScreen* screen_;
  zirvanta::FractalState fractal_;
  zirvanta::Palette palette_;
  bool typeKnown_;
};
