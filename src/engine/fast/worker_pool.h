#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/thread_priority.h"

namespace zirvanta::fast {

// Threads created once and kept for every job: a job runs a task on each worker and on the
// calling thread at the same time and returns when all of them have finished. Only one thread
// at a time may run jobs; SetPriority may be called from any thread.
class WorkerPool {
 public:
  using Task = void (*)(void* context, int participant);

  // Starts `workers` threads. Throws std::system_error when a thread cannot be created (the
  // ones already started are stopped first).
  explicit WorkerPool(int workers);
  ~WorkerPool();

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The workers plus the calling thread.
  int Participants() const { return static_cast<int>(threads_.size()) + 1; }

  // Runs task(context, p) for p = 0 .. Participants() - 1, p = 0 on the calling thread. The
  // task must not throw.
  void Run(Task task, void* context);

  // Applies the priority to every worker thread.
  void SetPriority(ThreadPriority priority);
  std::vector<int> ThreadIds() const;

 private:
  void WorkerLoop(int participant);
  void Stop();

  std::vector<std::thread> threads_;
  std::vector<std::atomic<int>> threadIds_;
  std::atomic<int> started_{0};
  std::atomic<uint64_t> generation_{0};
  std::atomic<int> remaining_{0};
  std::atomic<bool> stopping_{false};
  Task task_ = nullptr;
  void* context_ = nullptr;
  mutable std::mutex priorityMutex_;
};

}  // namespace zirvanta::fast
