#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zirvanta {

// Turns SIGTERM, SIGINT and SIGHUP into a call of `requested` on the user-interface thread, so
// that a logout, a kill or Ctrl+C in a terminal ends the program as its Close command does:
// settings saved, threads joined, exit status 0. A second signal, while the first is being
// served, ends the process at once (the default action). A signal that the program was started
// with ignored stays ignored. One object at a time; its destructor restores the former actions.
class TerminationSignals : public QObject {
 public:
  explicit TerminationSignals(std::function<void()> requested, QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  void Arrived();

  std::function<void()> requested_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zirvanta
