#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/real_clock.h"
#include "ui/message_box_presenter.h"

class QWidget;

namespace drvflash::bench {

using SteadyTime = std::chrono::steady_clock::time_point;

double MillisecondsBetween(SteadyTime from, SteadyTime to);

// Answers every box with OK, as a user who confirms and reads, and keeps what each said.
class AnsweringPresenter final : public MessageBoxPresenter {
 public:
  BoxAnswer Present(QWidget& owner, const std::string& text, const std::string& caption,
                    BoxButtons buttons) override;

  std::vector<std::string> texts;
};

// Wall-clock time, with the pauses asked of it added up: the floor that an update cannot beat.
class PauseCountingClock final : public Clock {
 public:
  Milliseconds Now() const override { return real_.Now(); }
  void Sleep(Milliseconds duration) override {
    paused_.fetch_add(duration.count());
    real_.Sleep(duration);
  }
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
               Milliseconds timeout, const std::function<bool()>& ready) override {
    return real_.WaitFor(lock, cv, timeout, ready);
  }
  void Schedule(Milliseconds delay, std::function<void()> action) override {
    real_.Schedule(delay, std::move(action));
  }

  long long PausedMs() const { return paused_.load(); }
  void ForgetPauses() { paused_.store(0); }

 private:
  RealClock real_;
  std::atomic<long long> paused_{0};
};

// Installs a clock and a presenter for as long as it lives.
class Installed {
 public:
  Installed(Clock* clock, MessageBoxPresenter* presenter);
  ~Installed();
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;
};

// This process's resident memory from /proc/self/status, in KiB.
struct ResidentMemory {
  long peakKiB = -1;     // VmHWM
  long currentKiB = -1;  // VmRSS
};
ResidentMemory ReadResidentMemory();

// Serves the event loop until `done` holds; false when `timeout` passed first.
bool ServeEventsUntil(const std::function<bool()>& done, Milliseconds timeout);

// Waits, serving events, until `window` is on screen.
bool WaitUntilExposed(QWidget& window);

}  // namespace drvflash::bench
