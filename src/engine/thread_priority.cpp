#include "thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zirvanta {
namespace {

int NiceOf(ThreadPriority priority) {
  switch (priority) {
    case ThreadPriority::Idle: return 19;
    case ThreadPriority::Normal: return 0;
    case ThreadPriority::Highest: return -5;
    case ThreadPriority::TimeCritical: return -10;
  }
  return 0;
}

// The lowest nice value this process may set without privilege (RLIMIT_NICE holds 20 - nice).
int LowestAllowedNice() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -20;
  return 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
}

int CurrentNice(int threadId) {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
  return errno == 0 ? nice : 0;
}

}  // namespace

bool PriorityFromChoice(int choice, ThreadPriority& priority) {
  switch (choice) {
    case 0: priority = ThreadPriority::Idle; return true;
    case 1: priority = ThreadPriority::Normal; return true;
    case 2: priority = ThreadPriority::Highest; return true;
    case 3: priority = ThreadPriority::TimeCritical; return true;
    default: return false;
  }
}

int CurrentThreadId() { return static_cast<int>(syscall(SYS_gettid)); }

int SetThreadPriority(int threadId, ThreadPriority priority) {
  const int wanted = NiceOf(priority);
  // On Linux a thread's nice value is its own: PRIO_PROCESS with a thread id sets just that one.
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), wanted) == 0) return wanted;
  // Without the privilege to go that high, go as high as allowed; keep what is in force if
  // even that is refused.
  const int allowed = std::max(wanted, LowestAllowedNice());
  if (allowed != wanted && setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), allowed) == 0) {
    return allowed;
  }
  return CurrentNice(threadId);
}

int SetCurrentThreadPriority(ThreadPriority priority) {
  return SetThreadPriority(CurrentThreadId(), priority);
}

}  // namespace zirvanta
