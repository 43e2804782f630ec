#include "platform/real_clock.h"

#include <utility>

namespace drvflash {

RealClock::RealClock() : start_(std::chrono::steady_clock::now()) {}

RealClock::~RealClock() {
  if (timer_.joinable()) {
    timer_.request_stop();
    wake_.notify_all();
    timer_.join();
  }
}

Milliseconds RealClock::Now() const {
  return std::chrono::duration_cast<Milliseconds>(std::chrono::steady_clock::now() - start_);
}

void RealClock::Sleep(Milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

bool RealClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                        Milliseconds timeout, const std::function<bool()>& ready) {
  return cv.wait_for(lock, timeout, ready);
}

void RealClock::Schedule(Milliseconds delay, std::function<void()> action) {
  std::lock_guard guard(mutex_);
  actions_.emplace(std::chrono::steady_clock::now() + delay, std::move(action));
  if (!timer_.joinable()) {
    timer_ = std::jthread([this](std::stop_token stop) { RunTimer(stop); });
  }
  wake_.notify_all();
}

void RealClock::RunTimer(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (!stop.stop_requested()) {
    if (actions_.empty()) {
      wake_.wait(lock, stop, [this] { return !actions_.empty(); });
      continue;
    }
    const auto due = actions_.begin()->first;
    if (std::chrono::steady_clock::now() < due) {
      wake_.wait_until(lock, stop, due,
                       [this, due] { return !actions_.empty() && actions_.begin()->first < due; });
      continue;
    }
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    lock.unlock();
    action();
    lock.lock();
  }
}

}  // namespace drvflash
