#include <gtest/gtest.h>

#include <vector>

#include "drive/command_set.h"
#include "drive/request_block.h"
#include "drive_fixture.h"

namespace drvflash::testing {
namespace {

class BufferTransferTest : public DriveFixture {
 protected:
  static std::uint32_t Offset(const SentRequest& r) {
    return (std::uint32_t{r.block.CDBByte[3]} << 16) | (std::uint32_t{r.block.CDBByte[4]} << 8) |
           r.block.CDBByte[5];
  }
  static std::uint32_t Length(const SentRequest& r) {
    return (std::uint32_t{r.block.CDBByte[6]} << 16) | (std::uint32_t{r.block.CDBByte[7]} << 8) |
           r.block.CDBByte[8];
  }
};

struct Chunk {
  BYTE bufferId;
  std::uint32_t offset;
  std::uint32_t length;
  std::uint32_t bufferPosition;  // where in the transfer buffer its data lies
  bool operator==(const Chunk&) const = default;
};

TEST_F(BufferTransferTest, SplitsIntoChunksWithTheCallersBufferIdFirstThenZero) {
  struct Case {
    std::uint32_t total, chunk, offset;
    BYTE bufferId;
    std::vector<Chunk> chunks;
  };
  const Case cases[] = {
      {0, 0x8000, 0, 0xF0, {}},
      {20, 48, 0x1000, 0xF1, {{0xF1, 0x1000, 20, 0}}},
      {48, 48, 0, 0xF1, {{0xF1, 0, 48, 0}}},
      {100, 48, 0x1000, 0xF1, {{0xF1, 0x1000, 48, 0}, {0, 0x1030, 48, 48}, {0, 0x1060, 4, 96}}},
      {0x10000, 0x8000, 0, 0xFE, {{0xFE, 0, 0x8000, 0}, {0, 0x8000, 0x8000, 0x8000}}},
  };
  for (BYTE opcode : {BYTE{0x3B}, BYTE{0x3C}}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << "opcode " << int{opcode} << " total " << c.total);
      layer.ClearRequests();
      for (std::uint32_t i = 0; i < WRITE_BUFFER_SIZE; ++i)
        g_writeBuffer[i] = BYTE(i * 7 + 1);
      layer.SetResponder([](const SentRequest& r) -> std::optional<ScriptedReply> {
        // Each chunk read back carries its own length as data.
        return ScriptedReply::Now(
            ScsiAnswer::Good(std::vector<BYTE>(r.block.SRB_BufLen, BYTE(r.block.SRB_BufLen))));
      });
      const DriveOutcome outcome = opcode == 0x3B
                                       ? WriteBuffer(7, c.bufferId, c.offset, c.total, c.chunk)
                                       : ReadBuffer(2, c.bufferId, c.offset, c.total, c.chunk);
      EXPECT_EQ(outcome, c.total == 0 ? OUTCOME_NO_COMPLETION : OUTCOME_OK);

      BYTE* const buffer = opcode == 0x3B ? g_writeBuffer : g_readBuffer;
      std::vector<Chunk> sent;
      for (const SentRequest& r : layer.Requests()) {
        EXPECT_EQ(r.block.CDBByte[0], opcode);
        EXPECT_EQ(r.block.SRB_BufLen, Length(r));
        sent.push_back({r.block.CDBByte[2], Offset(r), Length(r),
                        static_cast<std::uint32_t>(r.block.SRB_BufPointer - buffer)});
        if (opcode == 0x3B) {
          EXPECT_TRUE(std::equal(r.dataOut.begin(), r.dataOut.end(), r.block.SRB_BufPointer));
        }
      }
      EXPECT_EQ(sent, c.chunks);
      if (opcode == 0x3C) {
        for (const Chunk& chunk : c.chunks) {
          EXPECT_EQ(g_readBuffer[chunk.bufferPosition], BYTE(chunk.length));
        }
      }
    }
  }
}

TEST_F(BufferTransferTest, RefusesTransfersOutsideTheBufferOrTheCdbFields) {
  EXPECT_EQ(WriteBuffer(7, 0xF0, 0, 0x8000, 0), OUTCOME_ERROR);
  EXPECT_EQ(WriteBuffer(7, 0xF0, 0, WRITE_BUFFER_SIZE + 1, 0x8000), OUTCOME_ERROR);
  EXPECT_EQ(ReadBuffer(2, 0xF1, 0xFFFFF0, 0x20, 0x20), OUTCOME_ERROR);
  EXPECT_TRUE(layer.Requests().empty());
}

TEST_F(BufferTransferTest, UnitAttentionResendsTheSameChunkThenGoesOn) {
  for (BYTE ascq28or29 : {BYTE{0x28}, BYTE{0x29}}) {
    layer.ClearRequests();
    layer.Queue(ScriptedReply::Now(ScsiAnswer::CheckCondition(0x06, ascq28or29, 0x00)));
    EXPECT_EQ(WriteBuffer(7, 0xF0, 0x8000, 0x10000, 0x8000), OUTCOME_OK);

    const auto requests = layer.Requests();
    ASSERT_EQ(requests.size(), 3u);
    const SRB_ExecSCSICmd& first = requests[0].block;
    const SRB_ExecSCSICmd& resend = requests[1].block;
    EXPECT_EQ(requests[1].Cdb(), requests[0].Cdb());
    EXPECT_EQ(resend.SRB_BufPointer, first.SRB_BufPointer);
    EXPECT_EQ(resend.SRB_BufLen, first.SRB_BufLen);
    const void* resendEvent = resend.SRB_PostProc;  // packed fields: copy before use
    const void* firstEvent = first.SRB_PostProc;
    EXPECT_EQ(resendEvent, firstEvent) << "one event for the whole transfer";
    EXPECT_EQ(resend.SenseArea[2], 0) << "the sense key is cleared before the resend";
    EXPECT_EQ(resend.SenseArea[12], ascq28or29) << "the rest of the block is left as it was";
    EXPECT_EQ(requests[1].dataOut, requests[0].dataOut);
    EXPECT_EQ(requests[2].block.CDBByte[2], 0) << "the next chunk follows";
  }
}

TEST_F(BufferTransferTest, UnitAttentionForEverEndsAfterEightResends) {
  layer.SetDefault(ScriptedReply::Now(ScsiAnswer::CheckCondition(0x06, 0x29, 0x00)));
  EXPECT_EQ(WriteBuffer(7, 0xF0, 0, 0x8000, 0x8000), OUTCOME_ERROR);
  EXPECT_EQ(layer.Requests().size(), 1u + MAX_UNIT_ATTENTION_RESENDS);
  EXPECT_EQ(FormatSenseText(), "06-29-00");
}

TEST_F(BufferTransferTest, ResendWithoutFreshSenseIsAnErrorOnItsStaleSense) {
  ScsiAnswer checkConditionWithoutSense = ScsiAnswer::CheckCondition(0, 0, 0);
  checkConditionWithoutSense.sense.clear();
  layer.Queue(ScriptedReply::Now(ScsiAnswer::CheckCondition(0x06, 0x29, 0x00)));
  layer.Queue(ScriptedReply::Now(checkConditionWithoutSense));
  EXPECT_EQ(ReadDriveIdBlock(), OUTCOME_ERROR);
  EXPECT_EQ(FormatSenseText(), "00-29-00");
  EXPECT_EQ(layer.Requests().size(), 2u);
}

TEST_F(BufferTransferTest, AChunkThatFailsOrNeverEndsStopsTheTransferThere) {
  struct Case {
    const char* name;
    ScriptedReply reply;
    DriveOutcome outcome;
  };
  const Case cases[] = {
      {"busy", ScriptedReply::Now(ScsiAnswer::TargetStatus(STATUS_BUSY)), OUTCOME_ERROR},
      {"adapter error", ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO)), OUTCOME_ERROR},
      {"no answer", ScriptedReply::NeverCompletes(), OUTCOME_NO_COMPLETION},
      {"time-out", ScriptedReply::Now(ScsiAnswer::CheckCondition(0x04, 0x08, 0x01)),
       OUTCOME_COMM_TIMEOUT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    layer.ClearRequests();
    layer.Queue(ScriptedReply::Now(ScsiAnswer::Good()));
    layer.Queue(c.reply);
    EXPECT_EQ(WriteBuffer(7, 0xF0, 0, 0x18000, 0x8000), c.outcome);
    EXPECT_EQ(layer.Requests().size(), 2u) << "nothing is sent after the failed chunk";
  }
}

}  // namespace
}  // namespace drvflash::testing
