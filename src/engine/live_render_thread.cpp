#include "live_render_thread.h"

#include <new>
#include <system_error>

#include "line_drawing.h"
#include "thread_priority.h"

namespace zirvanta {

std::thread LiveRenderThread::LaunchStdThread(std::function<void()> body) {
  return std::thread(std::move(body));
}

LiveRenderThread::LiveRenderThread(Renderer& renderer, LiveRenderSource source,
                                   DrawingSurface& livePicture, DrawingSurface& generalPicture,
                                   LiveRenderCallbacks callbacks)
    : renderer_(renderer),
      source_(source),
      livePicture_(livePicture),
      generalPicture_(generalPicture),
      callbacks_(std::move(callbacks)),
      liveBitmap_(kLiveWidth, kLiveHeight, PixelFormat::Bgrx32),
      generalBitmap_(kGeneralWidth, kGeneralHeight, PixelFormat::Bgrx32) {}

LiveRenderThread::~LiveRenderThread() { Stop(); }

bool LiveRenderThread::Start(const Launcher& launcher) {
  if (worker_.joinable()) return true;
  try {
    worker_ = launcher([this] { Body(); });
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return worker_.joinable();
}

void LiveRenderThread::Wake() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ++wakesRequested_;
    idle_.store(false, std::memory_order_release);
  }
  wakeSignal_.notify_one();
}

bool LiveRenderThread::WaitUntilIdle(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return idleSignal_.wait_for(lock, timeout,
                              [this] { return idle_.load(std::memory_order_acquire); });
}

void LiveRenderThread::Stop() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    stopRequested_ = true;
  }
  wakeSignal_.notify_one();
  if (worker_.joinable()) worker_.join();
}

uint64_t LiveRenderThread::PassesCompleted() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return passesCompleted_;
}

void LiveRenderThread::Body() {
  SetCurrentThreadPriority(ThreadPriority::TimeCritical);
  renderer_.SetWorkerPriority(ThreadPriority::TimeCritical);
  uint64_t wakesServed = 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      if (stopRequested_) return;
      // Every wake sent so far followed a change that this pass will see.
      wakesServed = wakesRequested_;
    }
    RenderPass();
    {
      std::lock_guard<std::mutex> guard(mutex_);
      ++passesCompleted_;
      // A wake that came during the pass (against the rule) gets a pass of its own.
      if (wakesRequested_ == wakesServed) idle_.store(true, std::memory_order_release);
    }
    idleSignal_.notify_all();
    if (callbacks_.idleReached) callbacks_.idleReached();
    std::unique_lock<std::mutex> lock(mutex_);
    wakeSignal_.wait(lock, [&] { return stopRequested_ || wakesRequested_ != wakesServed; });
    if (stopRequested_) return;
  }
}

void LiveRenderThread::RenderPass() {
  const FractalState& state = source_.state;
  const ViewValues& view = source_.view;

  renderer_.RenderPicture(LiveGeometry(state.centreX, state.centreY, view.pixelStep), state,
                          source_.palette, liveBitmap_);
  livePicture_.Draw([this](Bitmap& picture) { CopyColours(liveBitmap_, picture); });
  if (callbacks_.presented) callbacks_.presented(LivePicture::Live);

  renderer_.RenderPicture(GeneralGeometry(view.generalStep), state, source_.palette,
                          generalBitmap_);
  generalPicture_.Draw([this, &view](Bitmap& picture) {
    CopyColours(generalBitmap_, picture);
    DrawMarker(picture, view.marker);
  });
  if (callbacks_.presented) callbacks_.presented(LivePicture::General);
}

}  // namespace zirvanta
