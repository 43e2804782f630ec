#include "platform/virtual_clock.h"

#include <gtest/gtest.h>

#include <string>

namespace drvflash {
namespace {

using namespace std::chrono_literals;

TEST(VirtualClockTest, PausesReturnAtOnceAndAdvanceTimeRunningDueActionsInOrder) {
  VirtualClock clock;
  std::string ran;
  clock.Schedule(2500ms, [&] { ran += "b@" + std::to_string(clock.Now().count()) + " "; });
  clock.Schedule(1000ms, [&] { ran += "a@" + std::to_string(clock.Now().count()) + " "; });
  clock.Schedule(1000ms, [&] { ran += "a2 "; });
  clock.Schedule(9000ms, [&] { ran += "late "; });

  clock.Sleep(2000ms);
  EXPECT_EQ(ran, "a@1000 a2 ");
  EXPECT_EQ(clock.Now(), 2000ms);
  clock.Sleep(30ms);
  clock.Sleep(4000ms);
  EXPECT_EQ(ran, "a@1000 a2 b@2500 ");
  EXPECT_EQ(clock.Now(), 6030ms);
  EXPECT_EQ(clock.Pauses(), (std::vector<Milliseconds>{2000ms, 30ms, 4000ms}));
}

TEST(VirtualClockTest, WaitEndsWhenAnActionSatisfiesItOrAtItsDeadline) {
  VirtualClock clock;
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  clock.Schedule(700ms, [&] {
    std::lock_guard guard(mutex);
    done = true;
  });

  std::unique_lock lock(mutex);
  EXPECT_FALSE(clock.WaitFor(lock, cv, 500ms, [&] { return done; }));
  EXPECT_EQ(clock.Now(), 500ms);
  EXPECT_TRUE(clock.WaitFor(lock, cv, 35000ms, [&] { return done; }));
  EXPECT_EQ(clock.Now(), 700ms);
  EXPECT_EQ(clock.Waits(), (std::vector<Milliseconds>{500ms, 35000ms}));
  EXPECT_TRUE(clock.Pauses().empty());
}

}  // namespace
}  // namespace drvflash
