#pragma once

#include <QRect>
#include <QString>

class QCursor;
class QWidget;

// What another window may ask of the main window. The main window implements it; a dialog gets
// it, with the shared state (session/shared_state.h), when it is created, and never sees the
// main window's class. Every call is made on the user-interface thread.
//
// The idle rule: a window changes the fractal, the palette or the view values of the shared
// state only while RenderThreadIdle() is true, and calls WakeRenderThread() after the change.
// Input that finds the thread busy is dropped, not queued.
class TMainLink {
 public:
  virtual ~TMainLink() = default;

  virtual bool RenderThreadIdle() const = 0;
  virtual void WakeRenderThread() = 0;

  // Shows a hint in the main window's status bar (panel 1); an empty text clears it.
  virtual void ShowHint(const QString& hint) = 0;

  // A registered screen cursor, numbers 1 to 6 (LUPA, CENTR, SMOLL, KOEF, OPENHAND, TOFROM).
  virtual const QCursor& ScreenCursor(int number) const = 0;

  // Sets both stop requests of the sweeps of c; a running sweep ends at its next step.
  virtual void StopAllSweeps() = 0;

  // Recomputes and shows the full-screen picture from the current state, if it is shown.
  virtual void RedrawFullScreen() = 0;

  // After a fractal was taken into the shared state (c, the view and, when the outcome says so,
  // the palette): pixel step, factor sliders and boxes with c kept exact, marker, and the
  // palette controls when the palette was taken. Does not wake the render thread.
  virtual void FractalTaken(bool paletteTaken) = 0;
  // After a palette was taken: the palette sliders, the type list, the palette table and its
  // strip. Does not wake the render thread.
  virtual void PaletteTaken() = 0;

  // The main window, as the parent and anchor of other windows.
  virtual QWidget* MainWindow() = 0;
  // The live view's place on the screen (global coordinates): browsers centre over it.
  virtual QRect PictureScreenRect() const = 0;

  // The title the desktop shows for the program; the export writes its progress there.
  virtual void SetApplicationTitle(const QString& title) = 0;
};
