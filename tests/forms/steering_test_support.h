#pragma once

// What the tests of the main window's controls share: a renderer the test can hold inside a
// pass as often as it likes, a window built around it, and a script that acts from inside the
// event processing of a sweep.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/line_drawing.h"
#include "engine/numeric.h"
#include "engine/render.h"
#include "engine/renderer.h"
#include "form_test_support.h"
#include "forms/U_mainform.h"

namespace steering_test {

using form_test::kPatienceMs;

// Holds every pass that starts while holding is on, until the test lets go; records the c of
// each live pass.
class PassHold {
 public:
  void Set(bool holding) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      holding_ = holding;
    }
    changed_.notify_all();
  }
  // True while a pass waits in the hold.
  bool PassWaiting() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return waiting_ > 0;
  }
  std::vector<double> LivePassFactors() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return liveFactors_;
  }
  void Enter(bool live, double cx) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (live) liveFactors_.push_back(cx);
    ++waiting_;
    changed_.wait(lock, [this] { return !holding_; });
    --waiting_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool holding_ = false;
  int waiting_ = 0;
  std::vector<double> liveFactors_;
};

// Plain: the engine's reference pictures. Stamp: a picture made at once, whose first pixel
// tells the slider position of Re(c) it was made from (blue low byte, green high byte of
// position + 2000).
enum class Pictures { Plain, Stamp };

class HoldRenderer final : public zirvanta::Renderer {
 public:
  HoldRenderer(std::shared_ptr<PassHold> hold, Pictures pictures)
      : hold_(std::move(hold)), pictures_(pictures) {}
  void RenderPicture(const zirvanta::PictureGeometry& geometry,
                     const zirvanta::FractalState& state, const zirvanta::Palette& palette,
                     zirvanta::Bitmap& bitmap) override {
    hold_->Enter(geometry.width == zirvanta::kLiveWidth, state.cx);
    if (pictures_ == Pictures::Plain) {
      zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
      return;
    }
    const auto code = static_cast<uint32_t>(zirvanta::TruncToInt32(state.cx * 1000.0L + 2000.5L));
    for (int j = 0; j < geometry.height; ++j) {
      uint8_t* row = bitmap.Row(j);
      for (int i = 0; i < geometry.width; ++i) {
        row[4 * i] = static_cast<uint8_t>(code & 0xFF);
        row[4 * i + 1] = static_cast<uint8_t>(code >> 8);
        row[4 * i + 2] = 0;
      }
    }
  }
  void RenderExportRows(const zirvanta::ExportGeometry&, const zirvanta::ExportInputs&, int64_t,
                        int64_t, double, zirvanta::Bitmap&) override {}

 private:
  std::shared_ptr<PassHold> hold_;
  Pictures pictures_;
};

inline int StampedPosition(const QImage& picture) {
  const QRgb pixel = picture.pixel(0, 0);
  return qBlue(pixel) + 256 * qGreen(pixel) - 2000;
}

// A main window in a fresh start folder, shown and active, its first pass done.
struct Window {
  QTemporaryDir folder;
  std::shared_ptr<PassHold> hold = std::make_shared<PassHold>();
  std::unique_ptr<TMainForm> form;
  int paletteRebuilds = 0;
  bool hourglassAtRebuild = true;

  explicit Window(Pictures pictures = Pictures::Stamp) {
    TMainForm::Dependencies dependencies;
    dependencies.renderer = std::make_unique<HoldRenderer>(hold, pictures);
    dependencies.paletteRebuilt = [this] {
      ++paletteRebuilds;
      const QCursor* cursor = QGuiApplication::overrideCursor();
      hourglassAtRebuild = hourglassAtRebuild && cursor && cursor->shape() == Qt::WaitCursor;
    };
    form = std::make_unique<TMainForm>(folder.path(), std::move(dependencies));
    form->show();
    form->activateWindow();
    (void)QTest::qWaitForWindowActive(form.get());
  }
  TMainForm& operator*() { return *form; }
  TMainForm* operator->() { return form.get(); }

  bool Idle() { return form->WaitForRenderThreadIdle(kPatienceMs); }

  // Starts a pass that stays held: the thread is busy until Release().
  template <typename Change>
  bool HoldAPass(Change change) {
    hold->Set(true);
    change();
    QElapsedTimer waited;
    waited.start();
    while (!hold->PassWaiting()) {
      if (waited.elapsed() > kPatienceMs) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return !form->RenderThreadIdle();
  }
  bool Release() {
    hold->Set(false);
    return Idle();
  }
};

// The pictures the thread must have shown for the window's current state.
inline zirvanta::Bitmap ExpectedLive(const TMainForm& form) {
  return form_test::PlainPass(
      zirvanta::LiveGeometry(form.fractal.centreX, form.fractal.centreY, form.view.pixelStep),
      form.fractal, form.palette);
}
inline zirvanta::Bitmap ExpectedGeneral(const TMainForm& form) {
  zirvanta::Bitmap general = form_test::PlainPass(zirvanta::GeneralGeometry(form.view.generalStep),
                                                  form.fractal, form.palette);
  zirvanta::DrawMarker(general, form.view.marker);
  return general;
}

// Steps run one after another from the event loop, each once its condition holds; actions are
// posted, so that one which starts a sweep does not keep the script from going on inside it.
// After kPatienceMs the script gives up and stops every sweep.
class Script : public QObject {
 public:
  explicit Script(TMainForm& form) : form_(form) {
    connect(&timer_, &QTimer::timeout, this, &Script::Poll);
    timer_.setInterval(1);
  }
  Script& When(std::function<bool()> condition, std::function<void()> action) {
    steps_.push_back({std::move(condition), std::move(action)});
    return *this;
  }
  Script& Then(std::function<void()> action) {
    return When([] { return true; }, std::move(action));
  }
  void Start() {
    clock_.start();
    timer_.start();
  }
  bool Finished() const { return next_ == steps_.size(); }
  bool TimedOut() const { return timedOut_; }

 private:
  void Poll() {
    if (Finished()) {
      timer_.stop();
      return;
    }
    if (clock_.elapsed() > kPatienceMs) {
      timedOut_ = true;
      timer_.stop();
      form_.StopAllSweeps();
      return;
    }
    Step& step = steps_[next_];
    if (!step.condition()) return;
    ++next_;
    QTimer::singleShot(0, this, step.action);
  }

  struct Step {
    std::function<bool()> condition;
    std::function<void()> action;
  };
  TMainForm& form_;
  QTimer timer_;
  QElapsedTimer clock_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool timedOut_ = false;
};

// Restores the default locale when a test that changed it ends.
struct LocaleScope {
  explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

}  // namespace steering_test

namespace steering_test {

// Mouse input through the window, as the platform delivers it: the widget under the pointer
// gets it, and a widget pressed on keeps getting the moves while a button is held.
inline QWindow* WindowOf(QWidget* widget) { return widget->window()->windowHandle(); }
inline QPoint InWindow(QWidget* widget, QPoint at) { return widget->mapTo(widget->window(), at); }

inline void Press(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mousePress(WindowOf(widget), button, Qt::NoModifier, InWindow(widget, at));
}
inline void Release(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseRelease(WindowOf(widget), button, Qt::NoModifier, InWindow(widget, at));
}
inline void ClickAt(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  Press(widget, at, button);
  Release(widget, at, button);
}
// With no button held the pointer itself moves, which also gives the enter and leave events
// that bring the hints.
inline void MoveTo(QWidget* widget, QPoint at) {
  if (QGuiApplication::mouseButtons() == Qt::NoButton) {
    QCursor::setPos(widget->mapToGlobal(at));
    QCoreApplication::processEvents();
    return;
  }
  QTest::mouseMove(WindowOf(widget), InWindow(widget, at));
}

inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

inline void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  widget->setFocus();
  QTest::keyClick(widget, key, modifiers);
}

inline QString Coordinates(const char* x, const char* y) {
  return QStringLiteral(" ( X,Y ) =   ") + QLatin1String(x) + QStringLiteral("   ") +
         QLatin1String(y);
}

}  // namespace steering_test
