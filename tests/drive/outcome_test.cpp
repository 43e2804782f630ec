#include <gtest/gtest.h>

#include "drive/command_set.h"
#include "drive/request_block.h"
#include "drive/sense.h"
#include "drive_fixture.h"

namespace drvflash::testing {
namespace {

struct SenseCase {
  BYTE key, asc, ascq;
  DriveOutcome outcome;
};

TEST(ClassifySenseTest, MapsEachTripleAndTreatsFlagBitsAsPartOfTheKey) {
  const SenseCase cases[] = {
      {0x00, 0x00, 0x00, OUTCOME_OK},
      {0x00, 0x00, 0x01, OUTCOME_ERROR},
      {0x00, 0x29, 0x00, OUTCOME_ERROR},
      {0x01, 0x00, 0x00, OUTCOME_ERROR},
      {0x02, 0x04, 0x01, OUTCOME_BECOMING_READY},
      {0x02, 0x04, 0x02, OUTCOME_INIT_REQUIRED},
      {0x02, 0x3A, 0x00, OUTCOME_NO_MEDIUM},
      {0x02, 0x3A, 0x01, OUTCOME_ERROR},
      {0x03, 0x3A, 0x00, OUTCOME_ERROR},
      {0x04, 0x08, 0x01, OUTCOME_COMM_TIMEOUT},
      {0x04, 0x4C, 0x00, OUTCOME_SELF_CONFIG_FAILED},
      {0x04, 0x08, 0x00, OUTCOME_ERROR},
      {0x05, 0x24, 0x00, OUTCOME_ERROR},
      {0x06, 0x28, 0x00, OUTCOME_MEDIUM_CHANGED},
      {0x06, 0x29, 0x00, OUTCOME_RESET},
      {0x06, 0x29, 0x01, OUTCOME_ERROR},
      {0x07, 0x00, 0x00, OUTCOME_ERROR},
      {0x22, 0x3A, 0x00, OUTCOME_ERROR},  // incorrect-length flag set
      {0x86, 0x29, 0x00, OUTCOME_ERROR},  // filemark flag set
      {0x44, 0x08, 0x01, OUTCOME_ERROR},  // end-of-medium flag set
      {0xFF, 0xFF, 0xFF, OUTCOME_ERROR},
  };
  for (const SenseCase& c : cases) {
    EXPECT_EQ(ClassifySense(c.key, c.asc, c.ascq), c.outcome)
        << FormatSenseText(c.key, c.asc, c.ascq) << " key byte " << int{c.key};
  }
}

TEST(FormatSenseTextTest, MasksOnlyTheKeyAndWritesLowerCaseHex) {
  EXPECT_EQ(FormatSenseText(0x22, 0x3A, 0x00), "02-3a-00");
  EXPECT_EQ(FormatSenseText(0x04, 0x4C, 0x00), "04-4c-00");
  EXPECT_EQ(FormatSenseText(0xF6, 0xAB, 0xCD), "06-ab-cd");
  EXPECT_EQ(FormatSenseText(0, 0, 0), "00-00-00");
}

class RequestOutcomeTest : public DriveFixture {};

TEST_F(RequestOutcomeTest, StatusDecidesBeforeSenseAndOnlyCheckConditionIsClassified) {
  ScsiAnswer goodWithSense = ScsiAnswer::Good();
  goodWithSense.sense = FixedFormatSense(0x02, 0x3A, 0x00);
  ScsiAnswer checkConditionNoSense = ScsiAnswer::CheckCondition(0, 0, 0);
  ScsiAnswer failureWithoutTargetStatus = ScsiAnswer::HostError(HASTAT_OK);
  ScsiAnswer hostErrorWithSense = ScsiAnswer::HostError(HASTAT_SEL_TO);
  hostErrorWithSense.sense = FixedFormatSense(0x06, 0x29, 0x00);

  struct Case {
    const char* name;
    ScriptedReply reply;
    DriveOutcome outcome;
  };
  const Case cases[] = {
      {"good, sense area ignored", ScriptedReply::Now(goodWithSense), OUTCOME_OK},
      {"never completes", ScriptedReply::NeverCompletes(), OUTCOME_NO_COMPLETION},
      {"completes after the wait", ScriptedReply::After(Milliseconds{35001}, ScsiAnswer::Good()),
       OUTCOME_NO_COMPLETION},
      {"completes just in time", ScriptedReply::After(Milliseconds{35000}, ScsiAnswer::Good()),
       OUTCOME_OK},
      {"check condition, all-zero sense", ScriptedReply::Now(checkConditionNoSense), OUTCOME_OK},
      {"check condition, no medium",
       ScriptedReply::Now(ScsiAnswer::CheckCondition(0x02, 0x3A, 0x00)), OUTCOME_NO_MEDIUM},
      {"check condition, unit attention",
       ScriptedReply::Now(ScsiAnswer::CheckCondition(0x06, 0x28, 0x00)), OUTCOME_MEDIUM_CHANGED},
      {"adapter error", ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO)), OUTCOME_ERROR},
      {"adapter error, stale sense", ScriptedReply::Now(hostErrorWithSense), OUTCOME_ERROR},
      {"failure without status", ScriptedReply::Now(failureWithoutTargetStatus), OUTCOME_ERROR},
      {"busy", ScriptedReply::Now(ScsiAnswer::TargetStatus(STATUS_BUSY)), OUTCOME_ERROR},
      {"reservation conflict", ScriptedReply::Now(ScsiAnswer::TargetStatus(STATUS_RESCONF)),
       OUTCOME_ERROR},
  };
  for (const Case& c : cases) {
    layer.ClearRequests();
    layer.Queue(c.reply);
    EXPECT_EQ(TestUnitReady(), c.outcome) << c.name;
    EXPECT_EQ(layer.Requests().size(), 1u) << c.name << ": TEST UNIT READY is never resent";
  }
}

TEST_F(RequestOutcomeTest, SenseTextQuotesTheLastRequest) {
  layer.Queue(ScriptedReply::Now(ScsiAnswer::CheckCondition(0x22, 0x3A, 0x00)));
  EXPECT_EQ(TestUnitReady(), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "02-3a-00");
  EXPECT_EQ(TestUnitReady(), OUTCOME_OK);
  EXPECT_EQ(FormatSenseText(), "00-00-00");
}

}  // namespace
}  // namespace drvflash::testing
