#include "platform/completion_event.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <thread>

#include "platform/real_clock.h"

namespace drvflash {
namespace {

using namespace std::chrono_literals;

// These run on the real clock with real threads: the answering side is another thread, as with
// the SG_IO layer.

TEST(CompletionEventTest, AnswerFromAnotherThreadWakesTheWaiterAndIsSeenByIt) {
  CompletionEvent event;
  CompletionTicket ticket = event.Arm();
  int value = 0;
  std::thread answerer([&] { EXPECT_TRUE(ticket.Complete([&] { value = 42; })); });
  EXPECT_TRUE(event.Wait(30000ms));
  EXPECT_EQ(value, 42);
  answerer.join();
}

TEST(CompletionEventTest, AnswerAfterTheWaitTimedOutIsDroppedUntouched) {
  CompletionEvent event;
  CompletionTicket ticket = event.Arm();
  EXPECT_FALSE(event.Wait(5ms));
  bool ran = false;
  std::thread([&] { EXPECT_FALSE(ticket.Complete([&] { ran = true; })); }).join();
  EXPECT_FALSE(ran);
}

TEST(CompletionEventTest, RearmingRevokesTheEarlierRequest) {
  CompletionEvent event;
  CompletionTicket first = event.Arm();
  CompletionTicket second = event.Arm();
  EXPECT_FALSE(first.Complete([] { FAIL() << "stale answer delivered"; }));
  EXPECT_TRUE(second.Complete([] {}));
  EXPECT_FALSE(second.Complete([] { FAIL() << "answer delivered twice"; }));
  EXPECT_TRUE(event.Wait(0ms));
  EXPECT_FALSE(event.Wait(0ms)) << "the signal resets once consumed";
}

TEST(CompletionEventTest, AnswerAfterReleaseIsDropped) {
  std::optional<CompletionEvent> event;
  event.emplace();
  CompletionTicket ticket = event->Arm();
  event.reset();
  EXPECT_FALSE(ticket.Complete([] { FAIL() << "released event answered"; }));
}

TEST(RealClockTest, ScheduledActionsRunOnTheTimerThreadInTimeOrder) {
  RealClock clock;
  std::mutex mutex;
  std::vector<int> order;
  std::promise<void> allRan;
  clock.Schedule(40ms, [&] {
    std::lock_guard guard(mutex);
    order.push_back(2);
    allRan.set_value();
  });
  clock.Schedule(5ms, [&] {
    std::lock_guard guard(mutex);
    order.push_back(1);
  });
  ASSERT_EQ(allRan.get_future().wait_for(30s), std::future_status::ready);
  std::lock_guard guard(mutex);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_GE(clock.Now(), 40ms);
}

}  // namespace
}  // namespace drvflash
