#include "platform/virtual_clock.h"

#include <algorithm>
#include <utility>

namespace drvflash {

Milliseconds VirtualClock::Now() const {
  std::lock_guard guard(mutex_);
  return now_;
}

void VirtualClock::Sleep(Milliseconds duration) {
  Milliseconds end;
  {
    std::lock_guard guard(mutex_);
    pauses_.push_back(duration);
    end = now_ + duration;
  }
  while (RunNextActionUntil(end)) {
  }
  AdvanceTo(end);
}

bool VirtualClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable&,
                           Milliseconds timeout, const std::function<bool()>& ready) {
  Milliseconds deadline;
  {
    std::lock_guard guard(mutex_);
    waits_.push_back(timeout);
    deadline = now_ + timeout;
  }
  while (!ready()) {
    // Actions complete requests and so take the waiter's lock themselves.
    lock.unlock();
    const bool ran = RunNextActionUntil(deadline);
    if (!ran) {
      AdvanceTo(deadline);
    }
    lock.lock();
    if (!ran) {
      return ready();
    }
  }
  return true;
}

void VirtualClock::Schedule(Milliseconds delay, std::function<void()> action) {
  std::lock_guard guard(mutex_);
  actions_.emplace(now_ + std::max(delay, Milliseconds{0}), std::move(action));
}

std::vector<Milliseconds> VirtualClock::Pauses() const {
  std::lock_guard guard(mutex_);
  return pauses_;
}

std::vector<Milliseconds> VirtualClock::Waits() const {
  std::lock_guard guard(mutex_);
  return waits_;
}

void VirtualClock::ClearRecord() {
  std::lock_guard guard(mutex_);
  pauses_.clear();
  waits_.clear();
}

bool VirtualClock::RunNextActionUntil(Milliseconds limit) {
  std::function<void()> action;
  {
    std::lock_guard guard(mutex_);
    if (actions_.empty() || actions_.begin()->first > limit) {
      return false;
    }
    now_ = std::max(now_, actions_.begin()->first);
    action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
  }
  action();
  return true;
}

void VirtualClock::AdvanceTo(Milliseconds time) {
  std::lock_guard guard(mutex_);
  now_ = std::max(now_, time);
}

}  // namespace drvflash
