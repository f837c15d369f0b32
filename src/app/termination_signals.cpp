#include "app/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace zirvanta {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// The write end of the pipe that the handler reports to; -1 when no object listens.
std::atomic<int> reportFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

struct sigaction formerActions[kSignalCount];
bool handled[kSignalCount];

void Report(int number) {
  const int savedErrno = errno;
  // The next signal takes its default action: a second kill ends a program that hangs.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigemptyset(&fallback.sa_mask);
  for (int signal : kSignals) ::sigaction(signal, &fallback, nullptr);
  const int fd = reportFd.load();
  const char byte = static_cast<char>(number);
  // A full pipe already holds a report that has not been served.
  if (fd >= 0 && ::write(fd, &byte, 1) < 0) {
  }
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> requested, QObject* parent)
    : QObject(parent), requested_(std::move(requested)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    // Without the pipe the signals keep their default action.
    pipe_[0] = pipe_[1] = -1;
    return;
  }
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Arrived);
  reportFd.store(pipe_[1]);

  struct sigaction action {};
  action.sa_handler = Report;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) {
    handled[i] = false;
    if (::sigaction(kSignals[i], nullptr, &formerActions[i]) != 0) continue;
    if (formerActions[i].sa_handler == SIG_IGN) continue;
    handled[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

TerminationSignals::~TerminationSignals() {
  if (pipe_[0] < 0) return;
  for (int i = 0; i < kSignalCount; ++i) {
    if (handled[i]) ::sigaction(kSignals[i], &formerActions[i], nullptr);
  }
  reportFd.store(-1);
  delete notifier_;
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void TerminationSignals::Arrived() {
  char bytes[16];
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  if (requested_) requested_();
}

}  // namespace zirvanta
