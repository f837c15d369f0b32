#pragma once

// What the main window's tests share: a renderer the test can hold inside a pass, a window built
// around it, the engine's reference pictures, and input through the window.
#include <QtTest>
#include <QtWidgets>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "controls/picture_box.h"
#include "controls/tiny_button.h"
#include "engine/line_drawing.h"
#include "engine/render.h"
#include "engine/renderer.h"
#include "engine/view_steering.h"
#include "forms/U_mainform.h"

namespace form_test {

// A pass may be slow on a busy machine or under a sanitizer.
inline constexpr int kPatienceMs = 120000;

// Holds every pass that starts while holding is on, until the test lets go; records the c of
// each live pass.
class PassHold {
 public:
  void Set(bool holding) {
    { const std::lock_guard guard(mutex_); holding_ = holding; }
    changed_.notify_all();
  }
  bool PassWaiting() const { const std::lock_guard guard(mutex_); return waiting_ > 0; }
  std::vector<double> LiveFactors() const { const std::lock_guard guard(mutex_); return factors_; }
  void Enter(bool live, double cx) {
    std::unique_lock lock(mutex_);
    if (live) factors_.push_back(cx);
    ++waiting_;
    changed_.wait(lock, [this] { return !holding_; });
    --waiting_;
  }
  std::atomic<int> picturesRendered{0};

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool holding_ = false;
  int waiting_ = 0;
  std::vector<double> factors_;
};

// Makes the engine's plain passes, each held while the test holds passes.
class HoldRenderer final : public zirvanta::Renderer {
 public:
  explicit HoldRenderer(std::shared_ptr<PassHold> hold) : hold_(std::move(hold)) {}
  void RenderPicture(const zirvanta::PictureGeometry& geometry, const zirvanta::FractalState& state,
                     const zirvanta::Palette& palette, zirvanta::Bitmap& bitmap) override {
    hold_->Enter(geometry.width == zirvanta::kLiveWidth, state.cx);
    zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
    ++hold_->picturesRendered;
  }
  void RenderExportRows(const zirvanta::ExportGeometry&, const zirvanta::ExportInputs&, int64_t,
                        int64_t, double, zirvanta::Bitmap&) override {}

 private:
  std::shared_ptr<PassHold> hold_;
};

// A main window in a fresh start folder, shown and active, its first pass done.
struct Window {
  QTemporaryDir folder;
  std::shared_ptr<PassHold> hold = std::make_shared<PassHold>();
  std::unique_ptr<TMainForm> form;

  Window() {
    TMainForm::Dependencies dependencies;
    dependencies.renderer = std::make_unique<HoldRenderer>(hold);
    form = std::make_unique<TMainForm>(folder.path(), std::move(dependencies));
    form->show();
    form->activateWindow();
    (void)QTest::qWaitForWindowActive(form.get());
    (void)Idle();  // should it time out, the test's first wait fails too
  }
  ~Window() { hold->Set(false); }  // a test that failed while holding a pass must not hang
  TMainForm& operator*() { return *form; }
  TMainForm* operator->() { return form.get(); }

  bool Idle() { return form->WaitForRenderThreadIdle(kPatienceMs); }

  // Makes a change whose pass stays held: the thread is busy until Release().
  template <typename Change>
  bool HoldAPass(Change change) {
    hold->Set(true);
    change();
    return QTest::qWaitFor([this] { return hold->PassWaiting(); }, kPatienceMs) &&
           !form->RenderThreadIdle();
  }
  bool Release() { hold->Set(false); return Idle(); }
};

inline QImage Shown(QWidget* widget) {
  return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The live and the general view as painted equal the engine's plain passes of the window's state,
// the general one with the window's marker.
inline bool ShowsPlainPasses(TMainForm& form) {
  const zirvanta::FractalState& f = form.fractal;
  auto plain = [&](const zirvanta::PictureGeometry& geometry, const zirvanta::MarkerState* marker) {
    zirvanta::Bitmap bitmap(geometry.width, geometry.height, zirvanta::PixelFormat::Bgrx32);
    zirvanta::RenderPicturePlain(geometry, f, form.palette, bitmap);
    if (marker) zirvanta::DrawMarker(bitmap, *marker);
    return QImage(bitmap.Row(0), geometry.width, geometry.height,
                  static_cast<qsizetype>(bitmap.Stride()), QImage::Format_RGB32).copy();
  };
  return Shown(form.Pic) == plain(zirvanta::LiveGeometry(f.centreX, f.centreY, form.view.pixelStep),
                                  nullptr) &&
         Shown(form.GeneralView) == plain(zirvanta::GeneralGeometry(form.view.generalStep),
                                          &form.view.marker);
}

// The strip shows the palette's first 256 entries spread over its 529 columns.
inline bool StripShows(TMainForm& form, const zirvanta::Palette& palette) {
  QImage expected(529, 15, QImage::Format_RGB32);
  for (int x = 0; x < 529; ++x) {
    const zirvanta::PaletteEntry& entry = palette[zirvanta::PaletteLineIndex(x, 529)];
    for (int y = 0; y < 15; ++y) expected.setPixel(x, y, qRgb(entry.red, entry.green, entry.blue));
  }
  return Shown(form.PaletteLine) == expected;
}

// Mouse input through the window, as the platform delivers it: the widget under the pointer gets
// it, and a widget pressed on keeps getting the moves while a button is held.
inline void Mouse(QTest::MouseAction action, QWidget* widget, QPoint at, Qt::MouseButton button) {
  QTest::mouseEvent(action, widget->window()->windowHandle(), button, Qt::NoModifier,
                    widget->mapTo(widget->window(), at));
}
inline void Press(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Mouse(QTest::MousePress, w, at, b);
}
inline void Release(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Mouse(QTest::MouseRelease, w, at, b);
}
inline void ClickAt(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Press(w, at, b);
  Release(w, at, b);
}
// With no button held the pointer itself moves.
inline void MoveTo(QWidget* w, QPoint at) {
  if (QGuiApplication::mouseButtons() != Qt::NoButton) return Mouse(QTest::MouseMove, w, at, {});
  QCursor::setPos(w->mapToGlobal(at));
  QCoreApplication::processEvents();
}
inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
inline void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  widget->setFocus();
  QTest::keyClick(widget, key, modifiers);
}

}  // namespace form_test
