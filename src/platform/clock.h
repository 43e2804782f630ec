#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace drvflash {

using Milliseconds = std::chrono::milliseconds;

// The one source of time of the program: every pause and every timed wait goes through the
// active clock, so that tests can run the drive's multi-second pauses in virtual time.
class Clock {
 public:
  virtual ~Clock() = default;

  // Time since the clock started.
  virtual Milliseconds Now() const = 0;

  // Pauses the calling thread.
  virtual void Sleep(Milliseconds duration) = 0;

  // Blocks until `ready()` holds or `timeout` has passed; returns the last value of `ready()`.
  // `lock` holds the mutex that guards what `ready` reads; whoever changes it notifies `cv`.
  virtual bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                       Milliseconds timeout, const std::function<bool()>& ready) = 0;

  // Runs `action` once `delay` has passed (a late answer, the end of a drive's restart).
  virtual void Schedule(Milliseconds delay, std::function<void()> action) = 0;
};

// The clock in use; the real clock unless a test installed another.
Clock& ActiveClock();

// Installs `clock` as the active clock (nullptr restores the real one). The caller keeps it
// alive while installed.
void SetActiveClock(Clock* clock);

}  // namespace drvflash
