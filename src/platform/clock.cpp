#include "platform/clock.h"

#include <atomic>

#include "platform/real_clock.h"

namespace drvflash {
namespace {

std::atomic<Clock*> g_installedClock{nullptr};

Clock& RealClockInstance() {
  static RealClock clock;
  return clock;
}

}  // namespace

Clock& ActiveClock() {
  Clock* installed = g_installedClock.load(std::memory_order_acquire);
  return installed != nullptr ? *installed : RealClockInstance();
}

void SetActiveClock(Clock* clock) {
  g_installedClock.store(clock, std::memory_order_release);
}

}  // namespace drvflash
