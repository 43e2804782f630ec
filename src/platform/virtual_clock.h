#pragma once

#include <map>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace drvflash {

// Time for tests: a pause, or a wait that nothing answers, returns at once and moves virtual
// time on. A wait advances to the earlier of its deadline and the next scheduled action, runs
// the actions that are due and returns as soon as what it waits for holds. Actions run on the
// thread that pauses or waits.
class VirtualClock final : public Clock {
 public:
  Milliseconds Now() const override;
  void Sleep(Milliseconds duration) override;
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
               Milliseconds timeout, const std::function<bool()>& ready) override;
  void Schedule(Milliseconds delay, std::function<void()> action) override;

  // Every pause made, in order.
  std::vector<Milliseconds> Pauses() const;
  // The time-out of every wait, in order.
  std::vector<Milliseconds> Waits() const;
  // Forgets the pauses and waits recorded so far.
  void ClearRecord();

 private:
  // Runs the earliest action due at or before `limit`, moving time to it. False if none.
  bool RunNextActionUntil(Milliseconds limit);
  void AdvanceTo(Milliseconds time);

  mutable std::mutex mutex_;
  Milliseconds now_{0};
  std::multimap<Milliseconds, std::function<void()>> actions_;
  std::vector<Milliseconds> pauses_;
  std::vector<Milliseconds> waits_;
};

}  // namespace drvflash
