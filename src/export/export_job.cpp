#include "export_job.h"

#include <algorithm>
#include <chrono>
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
#include "export/bmp_stream.h"

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

std::string MemoryMessage(int64_t width, int64_t height) {
  return "There is not enough memory for an image of " + SizeText(width, height) + ".";
}

// About this many bytes of rows go to the file at a time.
constexpr uint64_t kBandBytes = uint64_t{1} << 20;
// The longest a giving-way block waits for one live pass.
constexpr auto kLongestGiveWay = std::chrono::milliseconds(100);

// Writes the bands the job hands over on a thread of its own, one band while the job computes
// the next. When that thread cannot be created, the bands are written as they are handed over.
class BandWriter {
 public:
  explicit BandWriter(BmpBandFile& file) : file_(file) {
    try {
      thread_ = std::thread(&BandWriter::Loop, this);
    } catch (const std::system_error&) {
    }
  }
  ~BandWriter() { Finish(); }

  // Hands the band over and returns once the band handed over before it is in the file, so that
  // band's bitmap may be filled again. False once a write has failed.
  bool Submit(const Bitmap& band, int64_t firstRow, int64_t rowCount) {
    if (!thread_.joinable()) {
      if (result_.ok()) result_ = file_.WriteRows(firstRow, band, rowCount);
      return result_.ok();
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return band_ == nullptr; });
    if (!result_.ok()) return false;
    band_ = &band;
    firstRow_ = firstRow;
    rowCount_ = rowCount;
    changed_.notify_all();
    return true;
  }

  // Waits until every band handed over is in the file and ends the thread.
  WriteResult Finish() {
    if (thread_.joinable()) {
      {
        std::lock_guard lock(mutex_);
        finishing_ = true;
      }
      changed_.notify_all();
      thread_.join();
    }
    return result_;
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return band_ != nullptr || finishing_; });
      if (band_ == nullptr) return;
      const bool failedBefore = !result_.ok();
      lock.unlock();
      WriteResult written;
      if (!failedBefore) written = file_.WriteRows(firstRow_, *band_, rowCount_);
      lock.lock();
      if (!failedBefore && !written.ok()) result_ = written;
      band_ = nullptr;
      changed_.notify_all();
    }
  }

  BmpBandFile& file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const Bitmap* band_ = nullptr;
  int64_t firstRow_ = 0;
  int64_t rowCount_ = 0;
  bool finishing_ = false;
  WriteResult result_;
  std::thread thread_;
};

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
      idleNiceReversible_(LowestAllowedNice() <= 0),
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
  if (threadId != 0) ApplyPace(choice, threadId);
}

int64_t ExportJob::BandRows(int64_t width) {
  const uint64_t stride = Bitmap::StrideFor(width, PixelFormat::Bgr24);
  const uint64_t blocks = stride == 0 ? 1 : kBandBytes / stride / kRowsPerProgressPoint;
  return kRowsPerProgressPoint * static_cast<int64_t>(std::max<uint64_t>(blocks, 1));
}

void ExportJob::ApplyPace(int choice, int threadId) {
  ThreadPriority priority;
  if (!PriorityFromChoice(choice, priority)) return;
  const ThreadPriority nice =
      priority == ThreadPriority::Idle && !idleNiceReversible_ ? ThreadPriority::Normal : priority;
  SetThreadPriority(threadId, nice);
  renderer_->SetWorkerPriority(nice);
  renderer_->SetActiveThreads(priority == ThreadPriority::Idle ? 1 : 0);
  yields_.store(priority == ThreadPriority::Idle || priority == ThreadPriority::Normal,
                std::memory_order_release);
}

void ExportJob::WaitServing() {
  mailbox_.ServeUntil([this] { return !Running(); });
}

void ExportJob::Body() {
  {
    std::lock_guard lock(priorityMutex_);
    const int self = CurrentThreadId();
    threadId_.store(self, std::memory_order_release);
    ApplyPace(priorityChoice_, self);
  }

  std::optional<std::string> failure;
  try {
    failure = ExportSizeProblem(params_.width, params_.height);
    if (!failure) failure = ExportSpaceProblem(params_.outputPath, params_.width, params_.height);
    if (!failure) failure = Compute(params_.format == ImageFormat::Bmp && CanStreamTo(params_.outputPath));
  } catch (const std::exception& error) {
    // A renderer that cannot start its workers, for one: reported, never left to terminate.
    failure = std::string("The image could not be computed: ") + error.what();
  }

  if (!failure) {
    if (steps_.finishExport) mailbox_.Call(steps_.finishExport);
  } else if (!failure->empty() && steps_.exportFailed) {
    mailbox_.Call([&] { steps_.exportFailed(*failure); });
  }

  {
    std::lock_guard lock(priorityMutex_);
    threadId_.store(0, std::memory_order_release);
  }
  running_.store(false, std::memory_order_release);
  mailbox_.Wake();
}

// Nothing when the file was written, an empty text when the job stopped, else the message.
std::optional<std::string> ExportJob::Compute(bool streamed) {
  const int64_t width = params_.width;
  const int64_t height = params_.height;
  const int64_t bandRows = streamed ? std::min(BandRows(width), height) : height;

  std::optional<BmpBandFile> file;
  if (streamed) {
    file.emplace(params_.outputPath, width, height);
    const WriteResult opened = file->Open();
    if (!opened.ok()) return WriteFailureMessage(opened);
  }
  std::optional<Bitmap> bands[2];
  try {
    bands[0].emplace(width, bandRows, PixelFormat::Bgr24);
    if (streamed && bandRows < height) bands[1].emplace(width, bandRows, PixelFormat::Bgr24);
  } catch (const std::bad_alloc&) {
    return MemoryMessage(width, height);
  } catch (const std::length_error&) {
    return MemoryMessage(width, height);
  }
  std::optional<BandWriter> writer;
  if (streamed) writer.emplace(*file);

  const ExportGeometry geometry =
      MakeExportGeometry(params_.centreX, params_.centreY, params_.viewWidth, width, height);
  // Entries past the palette copy do not exist: the limit never goes beyond the last one.
  const ExportInputs inputs{params_.cr, params_.ci,
                            std::min(params_.limit, kMaxExportIterationLimit), &params_.palette};
  int current = 0;
  int64_t bandStart = 0;
  double y = geometry.y0;
  for (int64_t first = 0; first < height; first += kRowsPerProgressPoint) {
    const int64_t count = std::min(kRowsPerProgressPoint, height - first);
    if (yields_.load(std::memory_order_acquire) && steps_.liveViewBusy) {
      const auto giveUp = std::chrono::steady_clock::now() + kLongestGiveWay;
      while (steps_.liveViewBusy() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    const auto started = std::chrono::steady_clock::now();
    renderer_->RenderExportRows(geometry, inputs, first - bandStart, count, y, *bands[current]);
    computeNanos_.fetch_add(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                             started).count(),
        std::memory_order_acq_rel);
    for (int64_t i = 0; i < count; ++i) y = y - geometry.step;

    const int64_t done = first + count;
    if (streamed && (done - bandStart == bandRows || done == height)) {
      if (!writer->Submit(*bands[current], bandStart, done - bandStart)) break;
      if (bands[1]) current ^= 1;
      bandStart = done;
    }
    if (count < kRowsPerProgressPoint) break;  // the last rows reach no progress point

    const int64_t row = done - 1;
    progressRow_.store(row, std::memory_order_release);
    if (stopRequested_.load(std::memory_order_acquire)) return std::string();
    if (steps_.showProgress) mailbox_.Call([&] { steps_.showProgress(row); });
  }

  if (!streamed) {
    const WriteResult result = params_.format == ImageFormat::Png
                                   ? WritePng(params_.outputPath, *bands[0])
                                   : WriteBmp(params_.outputPath, *bands[0]);
    return result.ok() ? std::nullopt : std::optional(WriteFailureMessage(result));
  }
  WriteResult result = writer->Finish();
  if (result.ok()) result = file->Commit();
  return result.ok() ? std::nullopt : std::optional(WriteFailureMessage(result));
}

}  // namespace zirvanta
