#include <cstring>

#include "sim_fixture.h"

namespace drvflash::sim::testing {
namespace {

class RestartTest : public SimFixture {
 protected:
  // Sends a fitting normal part and the closing command; the drive restarts from then on.
  void CloseWithFirmware() {
    ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
    ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
    ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  }
};

TEST_F(RestartTest, RequestsWaitForTheDriveThenTheFirstGetsUnitAttentionOnce) {
  Start(OneDriveScenario(R"("restart_ms": 3500)"));
  CloseWithFirmware();
  const Milliseconds closed = clock.Now();
  EXPECT_EQ(Inquiry(), OUTCOME_OK);
  EXPECT_EQ(clock.Now() - closed, 3500ms) << "answered when the drive is back";
  EXPECT_EQ(TestUnitReady(), OUTCOME_RESET) << "INQUIRY leaves the unit attention pending";
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM);
  EXPECT_EQ(clock.Now() - closed, 3500ms);
}

TEST_F(RestartTest, ChunkedTransferResendsAfterTheUnitAttention) {
  Start(OneDriveScenario(R"("restart_ms": 1000)"));
  CloseWithFirmware();
  EXPECT_EQ(ReadDriveIdBlock(), OUTCOME_OK);
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM) << "the read took the unit attention";
}

TEST_F(RestartTest, RestartLongerThanTheWaitEndsTheRequestUnanswered) {
  Start(OneDriveScenario(R"("restart_ms": 50000)"));
  CloseWithFirmware();
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_COMPLETION);
  clock.Sleep(20000ms);
  EXPECT_EQ(g_srb.SRB_Status, SS_PENDING) << "the late answer was dropped";
  EXPECT_EQ(InquiryRevision(), "1.30");
}

// A fault on the mode switch, and what the requester and the drive see afterwards.
struct FaultCase {
  const char* result;
  DriveOutcome outcome;
  Milliseconds took;  // the 30 ms signature pause included
  bool reachedDrive;
  BYTE status;
  BYTE haStat;
  BYTE targStat;
};

class FaultTest : public SimFixture {};

TEST_F(FaultTest, EveryResultOfAFaultRule) {
  const std::vector<FaultCase> cases = {
      {R"({"sense": "04-08-01"})", OUTCOME_COMM_TIMEOUT, 30ms, false, SS_ERR, HASTAT_OK,
       STATUS_CHKCOND},
      {R"("no_completion")", OUTCOME_NO_COMPLETION, 35030ms, false, SS_PENDING, HASTAT_OK,
       STATUS_GOOD},
      {R"("host_error")", OUTCOME_ERROR, 30ms, false, SS_ERR, HASTAT_PHASE_ERR, STATUS_GOOD},
      {R"("busy")", OUTCOME_ERROR, 30ms, false, SS_ERR, HASTAT_OK, STATUS_BUSY},
      {R"("drop")", OUTCOME_OK, 30ms, false, SS_COMP, HASTAT_OK, STATUS_GOOD},
      {R"({"delay_ms": 500})", OUTCOME_OK, 530ms, true, SS_COMP, HASTAT_OK, STATUS_GOOD},
      {R"({"delay_ms": 40000})", OUTCOME_NO_COMPLETION, 35030ms, true, SS_PENDING, HASTAT_OK,
       STATUS_GOOD},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.result);
    Start(OneDriveScenario(
        "",
        std::string(R"([{"command": "write_buffer", "mode": 4, "result": )") + c.result + "}]"));
    const Milliseconds sent = clock.Now();
    EXPECT_EQ(WriteSignature(4), c.outcome);
    EXPECT_EQ(clock.Now() - sent, c.took);
    EXPECT_EQ(g_srb.SRB_Status, c.status);
    EXPECT_EQ(g_srb.SRB_HaStat, c.haStat);
    EXPECT_EQ(g_srb.SRB_TargStat, c.targStat);
    if (c.targStat != STATUS_CHKCOND) {
      EXPECT_EQ(FormatSenseText(), "00-00-00") << "no sense data";
    }
    EXPECT_EQ(Drive().downloadMode, c.reachedDrive);
  }
}

TEST_F(FaultTest, RuleAnswersFromItsNthMatchCountTimes) {
  Start(OneDriveScenario(
      "",
      R"([{"command": "test_unit_ready", "from": 2, "count": 2, "result": {"sense": "06-28-00"}},
              {"command": "test_unit_ready", "target": 2, "result": "host_error"}])"));
  const std::vector<DriveOutcome> expected = {OUTCOME_NO_MEDIUM, OUTCOME_MEDIUM_CHANGED,
                                              OUTCOME_MEDIUM_CHANGED, OUTCOME_NO_MEDIUM,
                                              OUTCOME_NO_MEDIUM};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(TestUnitReady(), expected[i]) << "request " << i + 1;
  }
}

TEST_F(FaultTest, RuleMatchesModeBufferAndOffsetAndCountsResends) {
  Start(OneDriveScenario(
      "", R"([{"command": "write_buffer", "mode": 7, "buffer_id": 240, "offset": 32768,
               "count": 1, "result": {"sense": "06-29-00"}},
              {"command": "write_buffer", "mode": 7, "buffer_id": 240, "offset": 65536,
               "result": {"sense": "04-08-01"}}])"));
  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  const auto image = NormalImage();
  EXPECT_EQ(SendChunks(NORMAL_BUFFER, image, 0, 2), OUTCOME_OK)
      << "the unit attention is resent and the resend is the rule's second match";
  EXPECT_EQ(SendChunks(NORMAL_BUFFER, image, 2, 3), OUTCOME_COMM_TIMEOUT);
  EXPECT_EQ(SendChunks(NORMAL_BUFFER, image, 2, 3), OUTCOME_COMM_TIMEOUT) << "count -1: always";
  EXPECT_EQ(SendChunks(NORMAL_BUFFER, image, 3, 32), OUTCOME_OK);
}

TEST_F(FaultTest, AnswerInPlaceOfTheDriveLeavesTheUnitAttentionPending) {
  Start(OneDriveScenario(R"("restart_ms": 1000)",
                         R"([{"command": "test_unit_ready", "from": 1, "count": 1,
                              "result": "drop"}])"));
  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage()), OUTCOME_OK);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  EXPECT_EQ(TestUnitReady(), OUTCOME_OK) << "dropped";
  EXPECT_EQ(TestUnitReady(), OUTCOME_RESET);
}

class AdapterTest : public SimFixture {};

TEST_F(AdapterTest, HostAdapterInquiryReportsTheScenarioAdapters) {
  Start(R"({"adapters": [{"identifier": "ABCDEFGHIJKLMNOP", "targets": {}},
                         {"identifier": "SECOND", "targets": {}}]})");
  EXPECT_EQ(GetASPI32SupportInfo(), (DWORD{SS_COMP} << 8) | 2);
  SRB_HAInquiry inquiry{};
  inquiry.SRB_Cmd = SC_HA_INQUIRY;
  std::memset(inquiry.HA_Identifier, 0xEE, sizeof inquiry.HA_Identifier);
  EXPECT_EQ(SendASPI32Command(&inquiry), SS_COMP);
  EXPECT_EQ(inquiry.HA_Count, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_Identifier), 16), "ABCDEFGHIJKLMNOP");
  inquiry.SRB_HaId = 1;
  EXPECT_EQ(SendASPI32Command(&inquiry), SS_COMP);
  EXPECT_STREQ(reinterpret_cast<char*>(inquiry.HA_Identifier), "SECOND");
  inquiry.SRB_HaId = 2;
  EXPECT_EQ(SendASPI32Command(&inquiry), SS_INVALID_HA);
}

TEST_F(AdapterTest, UnusableScenarioMakesTheLayerReportFailure) {
  Start(R"({"usable": false})");
  EXPECT_NE((GetASPI32SupportInfo() >> 8) & 0xFF, DWORD{SS_COMP});
}

TEST_F(AdapterTest, OtherDeviceAndMissingTarget) {
  Start("{}");
  g_targetId = 4;
  ASSERT_EQ(Inquiry(), OUTCOME_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(g_inquiryBuffer) + 8, 28),
            "ACME    DISK            0001");
  EXPECT_EQ(TestUnitReady(), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "05-20-00");

  g_targetId = 2;
  EXPECT_EQ(Inquiry(), OUTCOME_ERROR);
  EXPECT_EQ(g_srb.SRB_HaStat, HASTAT_SEL_TO);
  EXPECT_EQ(FormatSenseText(), "00-00-00");
  EXPECT_TRUE(clock.Waits().empty()) << "every request ended at once";

  g_targetId = 1;
  ASSERT_EQ(Inquiry(), OUTCOME_OK);
  EXPECT_EQ(g_inquiryBuffer[0], 0x05);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(g_inquiryBuffer) + 8, 28),
            "ROZUVAZ QTX-517         1.28");
}

// A late answer must not reach buffers that the requester has released.
TEST_F(AdapterTest, LateAnswerTouchesNothingReleased) {
  Start(OneDriveScenario("", R"([{"command": "read_buffer", "result": {"delay_ms": 70000}}])"));
  EXPECT_EQ(ReadDriveIdBlock(), OUTCOME_NO_COMPLETION);
  FreeTransferBuffers();
  clock.Sleep(20000ms);
  AllocateTransferBuffers();
  g_targetId = 1;
  EXPECT_EQ(g_srb.SRB_Status, SS_PENDING);
}

}  // namespace
}  // namespace drvflash::sim::testing
