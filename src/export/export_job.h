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

// The export render job: computes the picture row by row into one bitmap, with a progress point
// after every 21 rows where it stores the row, looks at the stop request and has ShowProgress
// run by its owner; then writes the BMP file (atomically) and has FinishExport run, or has
// ExportFailed run with a message when the bitmap cannot be allocated or the file written.
class ExportJob {
 public:
  struct Steps {
    std::function<void(int64_t progressRow)> showProgress;
    std::function<void()> finishExport;
    std::function<void(const std::string& message)> exportFailed;
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

 private:
  void Body();

  ExportParams params_;
  Steps steps_;
  OwnerMailbox& mailbox_;
  std::unique_ptr<Renderer> renderer_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<int64_t> progressRow_{-1};
  std::atomic<int> threadId_{0};
  // Guards the latest priority choice and the thread id while a priority is applied, so a
  // choice made before the thread runs is not lost and an ended thread's id is never used.
  std::mutex priorityMutex_;
  int priorityChoice_ = 0;
  std::thread thread_;
};

}  // namespace zirvanta
