#include <gtest/gtest.h>

#include <cerrno>

#include "aspi/linux/sg_answer.h"
#include "linux_layer_fixture.h"

namespace drvflash::testing {
namespace {

using linux_sg::SgResult;

std::vector<BYTE> Fixed(BYTE keyByte, BYTE asc, BYTE ascq) {
  std::vector<BYTE> sense(18, 0);
  sense[0] = 0x70;
  sense[2] = keyByte;
  sense[7] = 10;
  sense[12] = asc;
  sense[13] = ascq;
  return sense;
}

SgResult OsError(int error) {
  SgResult result;
  result.osError = error;
  return result;
}

SgResult Completed(BYTE status, std::uint16_t hostStatus, std::uint16_t driverStatus,
                   std::vector<BYTE> sense = {}) {
  SgResult result;
  result.status = status;
  result.hostStatus = hostStatus;
  result.driverStatus = driverStatus;
  result.sense = std::move(sense);
  return result;
}

class LinuxLayerAnswerTest : public LinuxLayerFixture {
 protected:
  void SetUp() override {
    sysfs.AddHost(0, "virtio_scsi");
    sysfs.AddDevice("0:0:1:0");
    sysfs.AddGenericNode("0:0:1:0", "sg0");
    StartLayer();
    GetASPI32SupportInfo();
  }
  // INQUIRY of 36 bytes into a buffer of 0x55, the device answering `result` with 0xAB data.
  DriveOutcome InquiryAnswered(const SgResult& result) {
    executor->SetResponder([result](const linux_sg::SgCommand& command) {
      std::fill(command.data.begin(), command.data.end(), 0xAB);
      return result;
    });
    buffer.assign(36, 0x55);
    return Send(0, 1, {0x12, 0, 0, 0, 36, 0}, SRB_DIR_IN, buffer.data(), 36);
  }
  std::vector<BYTE> buffer;
};

// Judged in this order: OS error, transport (host, then driver status), CHECK CONDITION with
// its sense, other status, GOOD. Data reaches the requester after GOOD only.
TEST_F(LinuxLayerAnswerTest, ResultLadder) {
  std::vector<BYTE> descriptor{0x72, 0x06, 0x29, 0x00, 0, 0, 0, 0};
  struct Case {
    const char* name;
    SgResult result;
    BYTE status, haStat, targStat;
    DriveOutcome outcome;
    const char* sense;
  };
  const Case cases[] = {
      {"good", Completed(STATUS_GOOD, 0, 0), SS_COMP, HASTAT_OK, STATUS_GOOD, OUTCOME_OK,
       "00-00-00"},
      {"interrupted ioctl", OsError(EINTR), SS_ERR, HASTAT_PHASE_ERR, STATUS_GOOD, OUTCOME_ERROR,
       "00-00-00"},
      {"node gone", OsError(ENODEV), SS_ERR, HASTAT_SEL_TO, STATUS_GOOD, OUTCOME_ERROR, "00-00-00"},
      {"host time-out outranks the sense", Completed(STATUS_CHKCOND, 0x03, 0x08, Fixed(2, 0x3A, 0)),
       SS_ERR, HASTAT_COMMAND_TIMEOUT, STATUS_GOOD, OUTCOME_ERROR, "00-00-00"},
      {"driver time-out", Completed(STATUS_GOOD, 0, 0x06), SS_ERR, HASTAT_COMMAND_TIMEOUT,
       STATUS_GOOD, OUTCOME_ERROR, "00-00-00"},
      {"other host failure", Completed(STATUS_GOOD, 0x07, 0), SS_ERR, HASTAT_PHASE_ERR, STATUS_GOOD,
       OUTCOME_ERROR, "00-00-00"},
      {"check condition, fixed sense", Completed(STATUS_CHKCOND, 0, 0x08, Fixed(2, 0x3A, 0)),
       SS_ERR, HASTAT_OK, STATUS_CHKCOND, OUTCOME_NO_MEDIUM, "02-3a-00"},
      {"check condition, flags kept in the key byte",
       Completed(STATUS_CHKCOND, 0, 0x08, Fixed(0x22, 0x3A, 0)), SS_ERR, HASTAT_OK, STATUS_CHKCOND,
       OUTCOME_ERROR, "02-3a-00"},
      {"check condition, descriptor sense", Completed(STATUS_CHKCOND, 0, 0x08, descriptor), SS_ERR,
       HASTAT_OK, STATUS_CHKCOND, OUTCOME_RESET, "06-29-00"},
      {"check condition without sense", Completed(STATUS_CHKCOND, 0, 0), SS_ERR,
       linux_sg::HASTAT_REQUEST_SENSE_FAILED, STATUS_CHKCOND, OUTCOME_ERROR, "00-00-00"},
      {"busy", Completed(STATUS_BUSY, 0, 0), SS_ERR, HASTAT_OK, STATUS_BUSY, OUTCOME_ERROR,
       "00-00-00"},
  };
  std::size_t calls = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(InquiryAnswered(c.result), c.outcome);
    EXPECT_EQ(g_srb.SRB_Status, c.status);
    EXPECT_EQ(g_srb.SRB_HaStat, c.haStat);
    EXPECT_EQ(g_srb.SRB_TargStat, c.targStat);
    EXPECT_EQ(FormatSenseText(), c.sense);
    EXPECT_EQ(buffer[0], c.status == SS_COMP ? 0xAB : 0x55);
    EXPECT_EQ(executor->Calls().size(), ++calls) << "sent once, never again";
  }
}

// A short read hands on only the bytes that moved and clears the rest of the buffer; data to
// the drive that did not all move is an error, never a chunk written.
TEST_F(LinuxLayerAnswerTest, ShortTransfers) {
  SgResult shortTransfer;
  shortTransfer.resid = 6;
  EXPECT_EQ(InquiryAnswered(shortTransfer), OUTCOME_OK);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAB), 30);
  EXPECT_EQ(std::count(buffer.begin() + 30, buffer.end(), 0), 6);

  executor->SetResponder([shortTransfer](const linux_sg::SgCommand&) { return shortTransfer; });
  std::vector<BYTE> chunk(256, 0x11);
  EXPECT_EQ(Send(0, 1, {0x3B, 4, 0xFF, 0, 0, 0, 0, 1, 0, 0}, SRB_DIR_OUT, chunk.data(), 256),
            OUTCOME_ERROR);
  EXPECT_EQ(g_srb.SRB_HaStat, HASTAT_DO_DU);
  shortTransfer.resid = 0;
  executor->SetResponder([shortTransfer](const linux_sg::SgCommand&) { return shortTransfer; });
  EXPECT_EQ(Send(0, 1, {0x3B, 4, 0xFF, 0, 0, 0, 0, 1, 0, 0}, SRB_DIR_OUT, chunk.data(), 256),
            OUTCOME_OK);
}

TEST(SenseFormatTest, DescriptorSenseBecomesFixed) {
  const std::vector<BYTE> descriptor{
      0x73, 0x05, 0x24, 0x00, 0,    0,    0,    24,   0x00, 0x0A,
      0x80, 0,    0,    0,    0,    0,    0x12, 0x34, 0x56, 0x78,  // information
      0x02, 0x06, 0,    0,    0xC0, 0x00, 0x02, 0,                 // sense key specific
      0x04, 0x02, 0,    0x20};                                     // incorrect length
  const std::vector<BYTE> fixed = linux_sg::FixedFormatSenseOf(descriptor);
  const std::vector<BYTE> expected{0xF1, 0, 0x25, 0x12, 0x34, 0x56, 0x78, 10, 0,
                                   0,    0, 0,    0x24, 0x00, 0,    0xC0, 0,  0x02};
  EXPECT_EQ(fixed, expected);
  EXPECT_EQ(linux_sg::FixedFormatSenseOf(Fixed(6, 0x28, 0)), Fixed(6, 0x28, 0));
  EXPECT_TRUE(linux_sg::FixedFormatSenseOf(std::vector<BYTE>{0x7F, 0, 0, 0}).empty());
}

}  // namespace
}  // namespace drvflash::testing
