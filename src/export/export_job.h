#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/fractal_state.h"
#include "engine/palette.h"
#include "engine/renderer.h"

namespace zirvanta {

enum class ImageFormat { Bmp, Png };

// Everything one export needs, frozen before its thread starts.
struct ExportParams {
  std::string outputPath;
  int64_t width = 0;         // W
  int64_t height = 0;        // H
  float centreX = 0.0f;      // copies of the view and c when the export was prepared
  float centreY = 0.0f;
  float viewWidth = 5.0f;
  double cr = 0.0;
  double ci = 0.0;
  Palette palette;           // copy of all 8191 entries
  int limit = 254;           // 254, 510, 1022, 2046, 4094 or 8190
  int priorityChoice = 0;    // 0 low, 1 normal, 2 high, 3 critical
  ImageFormat format = ImageFormat::Bmp;

  // Takes the view, c and the palette table of the fractal shown.
  void TakeFractal(const FractalState& state, const Palette& table) {
    centreX = state.centreX;
    centreY = state.centreY;
    viewWidth = state.viewWidth;
    cr = state.cx;
    ci = state.cy;
    palette = table;
  }
};

// The iteration limit of a depth choice 256, 512, ..., 8192: the depth minus 2; 0 for others.
int LimitForDepth(int depth);

// Why a size cannot be exported (fewer than one pixel, or a file too large for the BMP format),
// or nothing when it can.
std::optional<std::string> ExportSizeProblem(int64_t width, int64_t height);

// Lets a worker thread have a step run on its owner's thread and wait until it ran. The owner
// is told that a step is pending through the notify hook (called on the worker thread) and runs
// it with RunPending(); while it waits for the worker to end it keeps running steps, so a worker
// blocked in a step can never deadlock the wait.
class OwnerMailbox {
 public:
  explicit OwnerMailbox(std::function<void()> notifyOwner = {});

  // Worker side: blocks until the owner has run the step.
  void Call(const std::function<void()>& step);
  // Owner side: runs the pending step, if any. Returns whether one ran.
  bool RunPending();
  // Owner side: runs pending steps until done() holds; done is checked under the mailbox's
  // lock after every wake, and the worker calls Wake() when it ends.
  void ServeUntil(const std::function<bool()>& done);
  void Wake();

 private:
  std::function<void()> notifyOwner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const std::function<void()>* pending_ = nullptr;
  uint64_t completed_ = 0;
};

// The export render job: computes the picture in blocks of 21 rows, with a progress point after
// each full block where it stores the row, looks at the stop request and has ShowProgress run by
// its owner; when the last row is done the file is complete and FinishExport runs, or
// ExportFailed runs with a message when memory, the disk or the file fails.
//
// The rows go to the file in bands while the next ones are computed: a second thread writes each
// band at its place in a temporary file beside the target, which is renamed over the target
// after the last band, so memory does not grow with the image and a stop or a failure leaves the
// target as it was. A target that cannot take bands at their places (a device, a pipe, "-")
// gets the picture in order from memory.
//
// The priority choice works both ways for any user: "low" computes on one thread and pauses
// while the live view computes a pass, "normal" takes every core but still gives way to the live
// view, "high" and "critical" take every core and give way to nothing. Nice values (idle,
// normal, highest, time-critical) come on top only where the process may set them back: an
// unprivileged thread that went to idle could never become normal again, so there "low" keeps
// the normal nice value.
class ExportJob {
 public:
  struct Steps {
    std::function<void(int64_t progressRow)> showProgress;
    std::function<void()> finishExport;
    std::function<void(const std::string& message)> exportFailed;
    // Called on the job's thread, so it must be safe there: true while the live view computes a
    // pass. The choices that give way wait before a block until it returns false (at most a
    // moment per block, so a stuck view cannot stall the export).
    std::function<bool()> liveViewBusy;
  };

  // The renderer computes the rows (the plain one when none is given).
  ExportJob(ExportParams params, Steps steps, OwnerMailbox& mailbox,
            std::unique_ptr<Renderer> renderer = nullptr);
  ~ExportJob();  // asks the job to stop and waits for it, serving its steps meanwhile

  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;

  // Starts the thread. False when the thread could not be created.
  bool Start();
  void RequestStop();
  // Applies a priority choice to the job's threads while it runs; other values change nothing.
  void SetPriority(int choice);
  bool Running() const { return running_.load(std::memory_order_acquire); }
  int64_t ProgressRow() const { return progressRow_.load(std::memory_order_acquire); }
  // Owner side: waits for the job to end, running its pending steps meanwhile.
  void WaitServing();
  // The time spent computing rows so far (not waiting, not writing), in seconds.
  double ComputeSeconds() const {
    return static_cast<double>(computeNanos_.load(std::memory_order_acquire)) * 1e-9;
  }

  // Rows per band written to the file for an image of this width: whole progress blocks of
  // about a megabyte.
  static int64_t BandRows(int64_t width);

 private:
  void Body();
  void ApplyPace(int choice, int threadId);
  std::optional<std::string> Compute(bool streamed);

  ExportParams params_;
  Steps steps_;
  OwnerMailbox& mailbox_;
  std::unique_ptr<Renderer> renderer_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<int64_t> progressRow_{-1};
  std::atomic<int> threadId_{0};
  std::atomic<bool> yields_{false};
  std::atomic<int64_t> computeNanos_{0};
  // The nice values of "low" can be undone by this process (it has the privilege or the limit).
  bool idleNiceReversible_ = false;
  // Guards the latest priority choice and the thread id while a priority is applied, so a
  // choice made before the thread runs is not lost and an ended thread's id is never used.
  std::mutex priorityMutex_;
  int priorityChoice_ = 0;
  std::thread thread_;
};

}  // namespace zirvanta
