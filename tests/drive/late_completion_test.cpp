#include <gtest/gtest.h>

#include "drive/command_set.h"
#include "drive/request_block.h"
#include "drive_fixture.h"

namespace drvflash::testing {
namespace {

using namespace std::chrono_literals;

class LateCompletionTest : public DriveFixture {};

// The identification block's answer comes after its wait gave up; the next request is already
// running on the same block, buffer and address. The late answer must not land in it.
TEST_F(LateCompletionTest, LateAnswerIsDroppedWhileTheNextRequestRuns) {
  layer.Queue(ScriptedReply::After(70000ms, ScsiAnswer::Good(std::vector<BYTE>(48, 'X'))));
  std::vector<BYTE> marker(16, 0x11);
  marker[0] = 0xBC;
  layer.Queue(ScriptedReply::After(20000ms, ScsiAnswer::Good(marker)));

  EXPECT_EQ(ReadDriveIdBlock(), OUTCOME_NO_COMPLETION);
  EXPECT_EQ(clock.Now(), 60000ms);

  BYTE statusWhenLateAnswerCame = 0xFF;
  BYTE bufferWhenLateAnswerCame = 0;
  clock.Schedule(10001ms, [&] {  // just after the late answer at 70000
    statusWhenLateAnswerCame = g_srb.SRB_Status;
    bufferWhenLateAnswerCame = g_readBuffer[0];
  });
  EXPECT_EQ(ReadBuffer(2, 0xB0, 0xFFF8, 16, 16), OUTCOME_OK);

  EXPECT_EQ(statusWhenLateAnswerCame, SS_PENDING);
  EXPECT_NE(bufferWhenLateAnswerCame, 'X');
  EXPECT_TRUE(std::equal(marker.begin(), marker.end(), g_readBuffer));
  EXPECT_EQ(g_readBuffer[16], 0) << "nothing of the late answer past the marker either";
  const auto requests = layer.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].delivered);
  EXPECT_TRUE(requests[1].delivered);
  EXPECT_EQ(clock.Now(), 80000ms);
}

TEST_F(LateCompletionTest, RequestThatEndedAtOnceIsNotWaitedFor) {
  layer.Queue(ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO)));
  layer.Queue(ScriptedReply::Now(ScsiAnswer::Good()));
  EXPECT_EQ(Inquiry(), OUTCOME_ERROR);
  EXPECT_EQ(TestUnitReady(), OUTCOME_OK);
  EXPECT_TRUE(clock.Waits().empty());
  EXPECT_EQ(clock.Now(), 0ms);
}

}  // namespace
}  // namespace drvflash::testing
