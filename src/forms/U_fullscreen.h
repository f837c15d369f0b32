#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/picture_box.h"
#include "engine/drawing_surface.h"
#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "engine/renderer.h"
#include "forms/main_link.h"
#include "session/shared_state.h"

class QScreen;

// A picture of a screen's size, computed on the user-interface thread with a renderer that is
// not the live thread's. The full-screen and the slide window have one each; the main window
// keeps them for the run, so their pixels are reused from one showing to the next.
class TScreenPicture {
 public:
  // The renderer is asked for at the first picture and must outlive this object.
  explicit TScreenPicture(std::function<zirvanta::Renderer&()> renderer);

  // Sizes the picture to the given device pixels (kept when it already has that size) and
  // computes the state's picture: step w / W, the view centre on pixel (W div 2, H div 2).
  // Throws std::bad_alloc when a picture of that size does not fit in memory.
  void Render(const zirvanta::FractalState& state, const zirvanta::Palette& palette, QSize size);

  // Null before the first picture.
  const zirvanta::DrawingSurface* Surface() const { return surface_.get(); }

 private:
  std::function<zirvanta::Renderer&()> renderer_;
  std::unique_ptr<zirvanta::DrawingSurface> surface_;
};

// The screen's size in device pixels.
QSize DevicePixelSize(const QScreen* screen);

// Makes a window cover the screen: at the screen's top left with its size, or, where the
// compositor places windows itself (Wayland), full screen on that screen.
void ShowOverScreen(QWidget* window, QScreen* screen);

// The current fractal over the whole screen the main window is on, until a key or a click.
//
// Reads the shared state's fractal and palette when it renders (at creation and when the main
// window asks again after an open), which happens on the user-interface thread while the live
// render thread only reads them too. Clears windows.fullScreenShown when it closes; the main
// window sets that flag before creating it. It never changes the fractal, palette or view.
class TFullScreenForm : public QWidget {
  Q_OBJECT
 public:
  // Renders the picture at once; Show() then brings the window up. Throws std::bad_alloc when
  // a picture of the screen's size does not fit in memory.
  TFullScreenForm(zirvanta::SharedState& state, TMainLink& link, TScreenPicture& picture,
                  QWidget* parent = nullptr);

  void Show();
  // Recomputes the picture from the current state and draws it.
  void RenderFullScreen();

  TPictureBox* Image = nullptr;

 signals:
  void Closed();  // after the flag was cleared; the window is then destroyed

 protected:
  void keyPressEvent(QKeyEvent* event) override;  // FormKeyDown: any key
  void closeEvent(QCloseEvent* event) override;   // FormClose

 private:
  zirvanta::SharedState& state_;
  TScreenPicture& picture_;
  QScreen* screen_;
};
