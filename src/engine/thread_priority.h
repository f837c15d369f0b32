#pragma once

namespace zirvanta {

// The four priorities the program asks for. On Linux they map to nice values of the calling
// thread: idle 19, normal 0, highest -5, time-critical -10. An unprivileged process may not
// raise its priority beyond what RLIMIT_NICE allows; the request then goes as far as allowed,
// and never fails.
enum class ThreadPriority { Idle, Normal, Highest, TimeCritical };

// The export dialog's choice 0..3 ("low", "normal", "high", "critical"); false for any other.
bool PriorityFromChoice(int choice, ThreadPriority& priority);

// Applies the priority to the calling thread. Returns the nice value now in force.
int SetCurrentThreadPriority(ThreadPriority priority);

// Applies the priority to a thread given by its kernel thread id (gettid()).
int SetThreadPriority(int threadId, ThreadPriority priority);

// The lowest nice value this process may set (RLIMIT_NICE; -20 with the privilege). A thread
// that went above it can never come back down.
int LowestAllowedNice();

// The kernel thread id of the calling thread.
int CurrentThreadId();

}  // namespace zirvanta
