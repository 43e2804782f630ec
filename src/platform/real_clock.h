#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/clock.h"

namespace drvflash {

// Wall-clock time. Scheduled actions run on a timer thread of the clock, started on first use.
class RealClock final : public Clock {
 public:
  RealClock();
  ~RealClock() override;
  RealClock(const RealClock&) = delete;
  RealClock& operator=(const RealClock&) = delete;

  Milliseconds Now() const override;
  void Sleep(Milliseconds duration) override;
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
               Milliseconds timeout, const std::function<bool()>& ready) override;
  void Schedule(Milliseconds delay, std::function<void()> action) override;

 private:
  void RunTimer(std::stop_token stop);

  const std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> actions_;
  std::jthread timer_;
};

}  // namespace drvflash
