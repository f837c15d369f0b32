#include "export_job.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "engine/bitmap.h"
#include "engine/colourer.h"
#include "engine/render.h"
#include "engine/thread_priority.h"
#include "export/bmp.h"
#include "export/png.h"

namespace zirvanta {
namespace {

// A progress point follows every 21st row.
constexpr int64_t kRowsPerProgressPoint = 21;

// Marks the mailbox's slot while the owner runs a step, so no other step is posted (and none is
// run twice by a nested RunPending) until the one running has completed.
const std::function<void()> kStepRunning;

std::string SizeText(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

void ApplyPriority(int choice, int threadId, Renderer& renderer) {
  ThreadPriority priority;
  if (!PriorityFromChoice(choice, priority)) return;
  SetThreadPriority(threadId, priority);
  renderer.SetWorkerPriority(priority);
}

}  // namespace

int LimitForDepth(int depth) {
  switch (depth) {
    case 256:
    case 512:
    case 1024:
    case 2048:
    case 4096:
    case 8192:
      return depth - 2;
    default:
      return 0;
  }
}

std::optional<std::string> ExportSizeProblem(int64_t width, int64_t height) {
  if (width < 1 || height < 1) {
    return "An image of " + SizeText(width, height) +
           " cannot be made: the width and the height must be at least 1 pixel.";
  }
  // The header holds the sides as signed 32-bit numbers and the file size as an unsigned one.
  constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();
  constexpr uint64_t kMaxImageBytes = std::numeric_limits<uint32_t>::max() - kBmpHeaderSize;
  bool fits = width <= kMaxSide && height <= kMaxSide;
  if (fits) {
    const uint64_t stride = Bitmap::StrideFor(width, PixelFormat::Bgr24);
    fits = stride <= kMaxImageBytes / static_cast<uint64_t>(height);
  }
  if (!fits) {
    return "An image of " + SizeText(width, height) +
           " is too large for a BMP file, which holds at most 4 GB.";
  }
  return std::nullopt;
}

OwnerMailbox::OwnerMailbox(std::function<void()> notifyOwner)
    : notifyOwner_(std::move(notifyOwner)) {}

void OwnerMailbox::Call(const std::function<void()>& step) {
  uint64_t ticket = 0;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pending_ == nullptr; });
    pending_ = &step;
    // Only one step is pending or running at a time, so the next completion is this one.
    ticket = completed_ + 1;
  }
  changed_.notify_all();
  if (notifyOwner_) notifyOwner_();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return completed_ >= ticket; });
}

bool OwnerMailbox::RunPending() {
  const std::function<void()>* step = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (pending_ == nullptr || pending_ == &kStepRunning) return false;
    step = pending_;
    pending_ = &kStepRunning;
  }
  // The worker is released even when the step throws.
  struct Completion {
    OwnerMailbox& mailbox;
    ~Completion() {
      std::lock_guard lock(mailbox.mutex_);
      mailbox.pending_ = nullptr;
      ++mailbox.completed_;
      mailbox.changed_.notify_all();
    }
  } completion{*this};
  (*step)();
  return true;
}

void OwnerMailbox::ServeUntil(const std::function<bool()>& done) {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] {
        return done() || (pending_ != nullptr && pending_ != &kStepRunning);
      });
      if (done()) return;
    }
    RunPending();
  }
}

void OwnerMailbox::Wake() {
  // Notified under the lock: a waiter that has just found done() false is already waiting.
  std::lock_guard lock(mutex_);
  changed_.notify_all();
}

ExportJob::ExportJob(ExportParams params, Steps steps, OwnerMailbox& mailbox,
                     std::unique_ptr<Renderer> renderer)
    : params_(std::move(params)),
      steps_(std::move(steps)),
      mailbox_(mailbox),
      renderer_(renderer ? std::move(renderer) : std::make_unique<PlainRenderer>()),
      priorityChoice_(params_.priorityChoice) {}

ExportJob::~ExportJob() {
  RequestStop();
  WaitServing();
  if (thread_.joinable()) thread_.join();
}

bool ExportJob::Start() {
  if (thread_.joinable()) return false;  // one export per job
  running_.store(true, std::memory_order_release);
  try {
    thread_ = std::thread(&ExportJob::Body, this);
  } catch (const std::system_error&) {
    running_.store(false, std::memory_order_release);
    return false;
  }
  return true;
}

void ExportJob::RequestStop() { stopRequested_.store(true, std::memory_order_release); }

void ExportJob::SetPriority(int choice) {
  ThreadPriority priority;
  if (!PriorityFromChoice(choice, priority)) return;
  std::lock_guard lock(priorityMutex_);
  priorityChoice_ = choice;
  // A choice made before the thread runs is applied by the thread itself when it starts.
  const int threadId = threadId_.load(std::memory_order_acquire);
  if (threadId != 0) ApplyPriority(choice, threadId, *renderer_);
}

void ExportJob::WaitServing() {
  mailbox_.ServeUntil([this] { return !Running(); });
}

void ExportJob::Body() {
  {
    std::lock_guard lock(priorityMutex_);
    const int self = CurrentThreadId();
    threadId_.store(self, std::memory_order_release);
    ApplyPriority(priorityChoice_, self, *renderer_);
  }

  const int64_t width = params_.width;
  const int64_t height = params_.height;
  std::optional<std::string> failure;
  bool written = false;
  try {
    failure = ExportSizeProblem(width, height);
    std::optional<Bitmap> bitmap;
    if (!failure) {
      try {
        bitmap.emplace(width, height, PixelFormat::Bgr24);
      } catch (const std::bad_alloc&) {
        failure = "There is not enough memory for an image of " + SizeText(width, height) + ".";
      } catch (const std::length_error&) {
        failure = "There is not enough memory for an image of " + SizeText(width, height) + ".";
      }
    }
    if (bitmap) {
      const ExportGeometry geometry =
          MakeExportGeometry(params_.centreX, params_.centreY, params_.viewWidth, width, height);
      // Entries past the palette copy do not exist: the limit never goes beyond the last one.
      const ExportInputs inputs{params_.cr, params_.ci,
                                std::min(params_.limit, kMaxExportIterationLimit),
                                &params_.palette};
      bool stopped = false;
      double y = geometry.y0;
      for (int64_t first = 0; first < height; first += kRowsPerProgressPoint) {
        const int64_t count = std::min(kRowsPerProgressPoint, height - first);
        renderer_->RenderExportRows(geometry, inputs, first, count, y, *bitmap);
        for (int64_t i = 0; i < count; ++i) y = y - geometry.step;
        if (count < kRowsPerProgressPoint) break;  // the last rows reach no progress point

        const int64_t row = first + count - 1;
        progressRow_.store(row, std::memory_order_release);
        if (stopRequested_.load(std::memory_order_acquire)) {
          stopped = true;
          break;
        }
        if (steps_.showProgress) mailbox_.Call([&] { steps_.showProgress(row); });
      }
      if (!stopped) {
        const WriteResult result = params_.format == ImageFormat::Png
                                       ? WritePng(params_.outputPath, *bitmap)
                                       : WriteBmp(params_.outputPath, *bitmap);
        bitmap.reset();
        if (result.ok()) {
          written = true;
        } else {
          failure = WriteFailureMessage(result);
        }
      }
    }
  } catch (const std::exception& error) {
    // A renderer that cannot start its workers, for one: reported, never left to terminate.
    failure = std::string("The image could not be computed: ") + error.what();
  }

  if (written) {
    if (steps_.finishExport) mailbox_.Call(steps_.finishExport);
  } else if (failure && steps_.exportFailed) {
    mailbox_.Call([&] { steps_.exportFailed(*failure); });
  }

  {
    std::lock_guard lock(priorityMutex_);
    threadId_.store(0, std::memory_order_release);
  }
  running_.store(false, std::memory_order_release);
  mailbox_.Wake();
}

}  // namespace zirvanta
