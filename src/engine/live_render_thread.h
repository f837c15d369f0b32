#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "bitmap.h"
#include "drawing_surface.h"
#include "fractal_state.h"
#include "palette.h"
#include "renderer.h"
#include "view.h"

namespace zirvanta {

enum class LivePicture { Live, General };

// What a pass reads. The owner writes these only while the thread is idle and then wakes it;
// the thread reads them only between a wake and the end of the pass that follows.
struct LiveRenderSource {
  const FractalState& state;
  const Palette& palette;
  const ViewValues& view;
};

struct LiveRenderCallbacks {
  // On the render thread, after a finished picture was copied onto its surface (the drawing
  // lock already released). Must not block on the owner's thread.
  std::function<void(LivePicture)> presented;
  // On the render thread, after the idle flag became true and before the thread sleeps.
  std::function<void()> idleReached;
};

// The thread that renders the live view (530 x 409) and the general view (81 x 65) with its
// marker, pass after pass, and sleeps in between. Idle() is true from the end of a pass until
// the next Wake(); a Wake() always gives a further pass, however soon it follows the end of
// the last one, and makes Idle() false at once, so the owner cannot slip a second change in
// before the pass has begun.
class LiveRenderThread {
 public:
  // Starts a thread running the body; throws std::system_error when none can be created.
  using Launcher = std::function<std::thread(std::function<void()> body)>;
  static std::thread LaunchStdThread(std::function<void()> body);

  LiveRenderThread(Renderer& renderer, LiveRenderSource source, DrawingSurface& livePicture,
                   DrawingSurface& generalPicture, LiveRenderCallbacks callbacks = {});
  ~LiveRenderThread();  // stops and joins the thread

  LiveRenderThread(const LiveRenderThread&) = delete;
  LiveRenderThread& operator=(const LiveRenderThread&) = delete;

  // Creates the thread, which starts its first pass at once. False when the platform could not
  // create it; the object then stays busy for ever.
  bool Start(const Launcher& launcher = LaunchStdThread);
  bool Started() const { return worker_.joinable(); }

  bool Idle() const { return idle_.load(std::memory_order_acquire); }

  // Asks for another pass of the current state. Call it after changing what the thread reads,
  // which is allowed only while Idle() is true.
  void Wake();

  // Waits until the thread is idle with no wake pending; false if the time ran out first.
  bool WaitUntilIdle(std::chrono::milliseconds timeout) const;

  // Lets a running pass finish, ends the thread and joins it. Safe to call more than once.
  void Stop();

  uint64_t PassesCompleted() const;

 private:
  void Body();
  void RenderPass();

  Renderer& renderer_;
  const LiveRenderSource source_;
  DrawingSurface& livePicture_;
  DrawingSurface& generalPicture_;
  const LiveRenderCallbacks callbacks_;

  Bitmap liveBitmap_;
  Bitmap generalBitmap_;

  std::atomic<bool> idle_{false};
  mutable std::mutex mutex_;
  std::condition_variable wakeSignal_;          // to the render thread
  mutable std::condition_variable idleSignal_;  // to WaitUntilIdle
  uint64_t wakesRequested_ = 0;  // guarded by mutex_
  uint64_t passesCompleted_ = 0; // guarded by mutex_
  bool stopRequested_ = false;   // guarded by mutex_

  std::thread worker_;
};

}  // namespace zirvanta
