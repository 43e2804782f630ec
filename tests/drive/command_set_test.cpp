#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "drive/command_set.h"
#include "drive/drive_id_block.h"
#include "drive/request_block.h"
#include "drive_fixture.h"

namespace drvflash::testing {
namespace {

using namespace std::chrono_literals;

class CommandSetTest : public DriveFixture {};

struct CommandCase {
  const char* name;
  std::function<DriveOutcome()> run;
  BYTE flags;
  DWORD bufLen;
  std::function<BYTE*()> buffer;
  std::vector<BYTE> cdb;
  Milliseconds wait;
  std::vector<Milliseconds> pauses;
};

// Every command against a drive that never answers: what it sends and how long it waits.
TEST_F(CommandSetTest, EachCommandSendsItsBlockAndWaitsItsTimeOut) {
  const CommandCase cases[] = {
      {"TEST UNIT READY",
       TestUnitReady,
       0x40,
       0,
       [] { return nullptr; },
       {0x00, 0, 0, 0, 0, 0},
       35000ms,
       {}},
      {"INQUIRY",
       Inquiry,
       0x48,
       254,
       [] { return g_inquiryBuffer; },
       {0x12, 0, 0, 0, 0xFE, 0},
       60000ms,
       {}},
      {"identification block",
       ReadDriveIdBlock,
       0x48,
       48,
       [] { return g_readBuffer; },
       {0x3C, 0x02, 0xF1, 0, 0, 0, 0, 0, 0x30, 0},
       60000ms,
       {}},
      {"kernel marker",
       [] {
         ProbeKernelMarker();
         return OUTCOME_NO_COMPLETION;
       },
       0x48,
       16,
       [] { return g_readBuffer; },
       {0x3C, 0x02, 0xB0, 0, 0xFF, 0xF8, 0, 0, 0x10, 0},
       60000ms,
       {}},
      {"normal chunk",
       [] { return WriteBuffer(7, 0xF0, 0xF8000, 0x8000, 0x8000); },
       0x50,
       0x8000,
       [] { return g_writeBuffer; },
       {0x3B, 0x07, 0xF0, 0x0F, 0x80, 0, 0, 0x80, 0, 0},
       35000ms,
       {}},
      {"kernel chunk",
       [] { return WriteBuffer(7, 0xFE, 0x8000, 0x8000, 0x8000); },
       0x50,
       0x8000,
       [] { return g_writeBuffer; },
       {0x3B, 0x07, 0xFE, 0, 0x80, 0, 0, 0x80, 0, 0},
       35000ms,
       {}},
      {"open download",
       [] { return WriteSignature(4); },
       0x50,
       256,
       [] { return g_writeBuffer; },
       {0x3B, 0x04, 0xFF, 0, 0, 0, 0, 0x01, 0, 0},
       35000ms,
       {30ms}},
      {"close download",
       [] { return WriteSignature(5); },
       0x50,
       256,
       [] { return g_writeBuffer; },
       {0x3B, 0x05, 0xFF, 0, 0, 0, 0, 0x01, 0, 0},
       35000ms,
       {30ms}},
  };
  layer.SetDefault(ScriptedReply::NeverCompletes());
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    g_haId = 3;
    g_targetId = 5;
    layer.ClearRequests();
    clock.ClearRecord();
    const Milliseconds start = clock.Now();

    EXPECT_EQ(c.run(), OUTCOME_NO_COMPLETION);

    const auto requests = layer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const SRB_ExecSCSICmd& block = requests[0].block;
    EXPECT_EQ(block.SRB_Cmd, SC_EXEC_SCSI_CMD);
    EXPECT_EQ(block.SRB_HaId, 3);
    EXPECT_EQ(block.SRB_Target, 5);
    EXPECT_EQ(block.SRB_Lun, 0);
    EXPECT_EQ(block.SRB_Flags, c.flags);
    EXPECT_EQ(block.SRB_BufLen, c.bufLen);
    EXPECT_EQ(block.SRB_BufPointer, c.buffer());
    EXPECT_EQ(block.SRB_SenseLen, 22);
    EXPECT_EQ(block.SRB_CDBLen, c.cdb.size());
    const void* event = block.SRB_PostProc;  // packed field: copy before use
    EXPECT_NE(event, nullptr);
    EXPECT_EQ(requests[0].Cdb(), c.cdb);
    EXPECT_TRUE(std::all_of(block.CDBByte + c.cdb.size(), std::end(block.CDBByte),
                            [](BYTE b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(std::begin(block.SRB_Rsvd2), std::end(block.SRB_Rsvd2),
                            [](BYTE b) { return b == 0; }));
    EXPECT_EQ(block.SRB_Hdr_Rsvd, 0u);
    EXPECT_EQ(clock.Waits(), std::vector<Milliseconds>{c.wait});
    EXPECT_EQ(clock.Pauses(), c.pauses);
    Milliseconds paused{0};
    for (Milliseconds p : c.pauses)
      paused += p;
    EXPECT_EQ(clock.Now() - start, paused + c.wait);
  }
}

TEST_F(CommandSetTest, InquiryClearsItsBufferBeforeTheDataArrives) {
  std::memset(g_inquiryBuffer, 0xAA, INQUIRY_BUFFER_SIZE);
  std::vector<BYTE> data(36, 0);
  std::memcpy(&data[8], "ROZUVAZ QTX-517         1.28", 28);
  layer.Queue(ScriptedReply::Now(ScsiAnswer::Good(data)));

  EXPECT_EQ(Inquiry(), OUTCOME_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(g_inquiryBuffer) + 32, 4), "1.28");
  EXPECT_TRUE(std::all_of(g_inquiryBuffer + 36, g_inquiryBuffer + INQUIRY_BUFFER_SIZE,
                          [](BYTE b) { return b == 0; }));
}

TEST_F(CommandSetTest, SignatureTransferCarriesTheSignatureThenZerosAfterItsPause) {
  std::memset(g_writeBuffer, 0x5A, WRITE_BUFFER_SIZE);
  EXPECT_EQ(WriteSignature(4), OUTCOME_OK);

  const auto requests = layer.Requests();
  ASSERT_EQ(requests.size(), 1u);
  std::vector<BYTE> expected(256, 0);
  std::memcpy(expected.data(), "KORVANE QTX-M482", 16);
  EXPECT_EQ(requests[0].dataOut, expected);
  EXPECT_EQ(requests[0].sentAt, 30ms) << "the pause comes before the command";
  EXPECT_EQ(g_writeBuffer[256], 0x5A) << "only the 256 bytes sent are set";
}

TEST_F(CommandSetTest, KernelMarkerProbeTestsTheFirstByteEvenAfterAFailedRead) {
  struct Case {
    const char* name;
    BYTE heldBefore;
    ScriptedReply reply;
    int expected;
  };
  std::vector<BYTE> marked(16, 0x00);
  marked[0] = 0xBC;
  std::vector<BYTE> unmarked(16, 0xBC);
  unmarked[0] = 0xBD;
  const Case cases[] = {
      {"marker read", 0x00, ScriptedReply::Now(ScsiAnswer::Good(marked)), 1},
      {"other byte read", 0xBC, ScriptedReply::Now(ScsiAnswer::Good(unmarked)), 0},
      {"failed read, marker held", 0xBC,
       ScriptedReply::Now(ScsiAnswer::CheckCondition(0x05, 0x24, 0x00)), 1},
      {"failed read, other byte held", 0x00,
       ScriptedReply::Now(ScsiAnswer::CheckCondition(0x05, 0x24, 0x00)), 0},
      {"no answer, marker held", 0xBC, ScriptedReply::NeverCompletes(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<BYTE> idBlock(48);
    for (std::size_t i = 0; i < idBlock.size(); ++i)
      idBlock[i] = static_cast<BYTE>(0x40 + i);
    layer.Queue(ScriptedReply::Now(ScsiAnswer::Good(idBlock)));
    ASSERT_EQ(ReadDriveIdBlock(), OUTCOME_OK);
    g_readBuffer[0] = c.heldBefore;
    layer.Queue(c.reply);

    EXPECT_EQ(ProbeKernelMarker(), c.expected);
    EXPECT_TRUE(std::equal(idBlock.begin() + 16, idBlock.end(), g_readBuffer + 16))
        << "bytes 16-47 of the identification block stay";
  }
}

}  // namespace
}  // namespace drvflash::testing
