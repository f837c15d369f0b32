#include "worker_pool.h"

#include <system_error>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zirvanta::fast {
namespace {

// Jobs come in bursts (a pass renders two pictures, an export one block after another), so a
// worker looks out for the next job a few microseconds before it goes to sleep.
constexpr int kSpinRounds = 2000;

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

template <typename T>
void SpinThenWait(const std::atomic<T>& value, T seen) {
  for (int round = 0; round < kSpinRounds; ++round) {
    if (value.load(std::memory_order_acquire) != seen) return;
    Pause();
  }
  while (value.load(std::memory_order_acquire) == seen) value.wait(seen, std::memory_order_acquire);
}

}  // namespace

WorkerPool::WorkerPool(int workers) : threadIds_(static_cast<size_t>(workers > 0 ? workers : 0)) {
  threads_.reserve(threadIds_.size());
  try {
    for (size_t i = 0; i < threadIds_.size(); ++i) {
      threads_.emplace_back(&WorkerPool::WorkerLoop, this, static_cast<int>(i) + 1);
    }
  } catch (...) {
    Stop();
    throw;
  }
  // The thread ids are known before anyone can ask for a priority.
  for (int started = started_.load(std::memory_order_acquire);
       started != static_cast<int>(threads_.size());
       started = started_.load(std::memory_order_acquire)) {
    started_.wait(started, std::memory_order_acquire);
  }
}

WorkerPool::~WorkerPool() { Stop(); }

void WorkerPool::Stop() {
  stopping_.store(true, std::memory_order_release);
  generation_.fetch_add(1, std::memory_order_acq_rel);
  generation_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void WorkerPool::Run(Task task, void* context) {
  if (threads_.empty()) {
    task(context, 0);
    return;
  }
  task_ = task;
  context_ = context;
  remaining_.store(static_cast<int>(threads_.size()), std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  task(context, 0);
  for (int left = remaining_.load(std::memory_order_acquire); left != 0;
       left = remaining_.load(std::memory_order_acquire)) {
    SpinThenWait(remaining_, left);
  }
}

void WorkerPool::WorkerLoop(int participant) {
  threadIds_[static_cast<size_t>(participant - 1)].store(CurrentThreadId(),
                                                         std::memory_order_release);
  started_.fetch_add(1, std::memory_order_acq_rel);
  started_.notify_all();
  uint64_t seen = 0;
  for (;;) {
    SpinThenWait(generation_, seen);
    seen = generation_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_acquire)) return;
    task_(context_, participant);
    if (remaining_.fetch_sub(1, std::memory_order_acq_rel) == 1) remaining_.notify_one();
  }
}

void WorkerPool::SetPriority(ThreadPriority priority) {
  std::lock_guard lock(priorityMutex_);
  for (const std::atomic<int>& id : threadIds_) {
    SetThreadPriority(id.load(std::memory_order_acquire), priority);
  }
}

std::vector<int> WorkerPool::ThreadIds() const {
  std::vector<int> ids;
  for (const std::atomic<int>& id : threadIds_) ids.push_back(id.load(std::memory_order_acquire));
  return ids;
}

}  // namespace zirvanta::fast
