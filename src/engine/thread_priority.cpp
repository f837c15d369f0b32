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

int CurrentNice(int threadId) {
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
  return errno == 0 ? nice : 0;
}

}  // namespace

int LowestAllowedNice() {
  // With CAP_SYS_NICE any value may be set; otherwise RLIMIT_NICE holds 20 - nice.
  rlimit limit{};
  if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return -20;
  const int allowed = 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
  if (allowed <= -20) return -20;
  // Privilege shows only by trying: a thread may always go up, so try its own value minus one.
  errno = 0;
  const id_t self = static_cast<id_t>(CurrentThreadId());
  const int now = getpriority(PRIO_PROCESS, self);
  if (errno == 0 && now > -20 && now - 1 < allowed) {
    if (setpriority(PRIO_PROCESS, self, now - 1) == 0) {
      setpriority(PRIO_PROCESS, self, now);
      return -20;
    }
  }
  return allowed;
}

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
  // Without the privilege to go that high, go as high as allowed, but never lower than the
  // thread already is: a refused raise must not end at the bottom (nice 19, for good).
  const int current = CurrentNice(threadId);
  const int allowed = std::max(wanted, LowestAllowedNice());
  if (allowed < current && setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), allowed) == 0) {
    return allowed;
  }
  return current;
}

int SetCurrentThreadPriority(ThreadPriority priority) {
  return SetThreadPriority(CurrentThreadId(), priority);
}

}  // namespace zirvanta
