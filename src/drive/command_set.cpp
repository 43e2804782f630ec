#include "drive/command_set.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "drive/drive_id_block.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"

namespace {

constexpr std::uint8_t kTestUnitReady = 0x00;
constexpr std::uint8_t kInquiry = 0x12;
constexpr std::uint8_t kWriteBuffer10 = 0x3B;
constexpr std::uint8_t kReadBuffer10 = 0x3C;
constexpr std::uint32_t kInquiryLength = 254;
constexpr std::uint64_t k24BitRange = 0x1000000;

constexpr std::uint8_t kIdBlockBuffer = 0xF1;
constexpr std::uint8_t kKernelMarkerBuffer = 0xB0;
constexpr std::uint32_t kKernelMarkerOffset = 0xFFF8;
constexpr std::uint32_t kKernelMarkerLength = 16;
constexpr std::uint8_t kKernelMarkerSet = 0xBC;
constexpr std::uint8_t kSignatureBuffer = 0xFF;
constexpr std::uint32_t kSignatureTransferLength = 256;

void Put24(std::uint8_t* bytes, std::uint32_t value) {
  bytes[0] = static_cast<std::uint8_t>(value >> 16);
  bytes[1] = static_cast<std::uint8_t>(value >> 8);
  bytes[2] = static_cast<std::uint8_t>(value);
}

RequestFields SelectedDrive(std::uint8_t flags) {
  RequestFields fields;
  fields.haId = g_haId;
  fields.targetId = g_targetId;
  fields.lun = g_lun;
  fields.flags = flags;
  return fields;
}

// One request cycle for the whole transfer, one send per chunk plus its unit-attention resends.
DriveOutcome TransferChunks(std::uint8_t opcode, std::uint8_t direction, std::uint8_t* buffer,
                            std::size_t bufferSize, drvflash::Milliseconds timeout,
                            std::uint8_t mode, std::uint8_t bufferId, std::uint32_t offset,
                            std::uint32_t totalLength, std::uint32_t chunkLength) {
  if (buffer == nullptr || chunkLength == 0 || chunkLength >= k24BitRange ||
      totalLength > bufferSize || std::uint64_t{offset} + totalLength > k24BitRange) {
    return OUTCOME_ERROR;
  }
  RequestFields fields = SelectedDrive(SRB_EVENT_NOTIFY | direction);
  fields.buffer = buffer;
  fields.bufferLength = chunkLength;
  fields.cdbLength = 10;
  fields.cdb[0] = opcode;
  fields.cdb[1] = mode;
  fields.cdb[2] = bufferId;
  Put24(&fields.cdb[3], offset);
  Put24(&fields.cdb[6], chunkLength);

  drvflash::CompletionEvent event;
  FillRequestBlock(fields, event);

  std::uint32_t chunks = totalLength / chunkLength;
  std::uint32_t remainder = totalLength % chunkLength;
  std::uint32_t done = 0;
  for (;;) {
    if (chunks == 0) {
      if (remainder == 0) {
        break;
      }
      Put24(&g_srb.CDBByte[6], remainder);
      g_srb.SRB_BufLen = remainder;
      remainder = 0;
      chunks = 1;
    }
    g_srb.SRB_BufPointer = buffer + done;
    for (int resends = 0;; ++resends) {
      SendRequestBlock(event, timeout);
      if (g_srb.SRB_Status == SS_COMP) {
        break;
      }
      const DriveOutcome outcome = RequestOutcome();
      if (outcome != OUTCOME_RESET && outcome != OUTCOME_MEDIUM_CHANGED) {
        return outcome;
      }
      if (resends == MAX_UNIT_ATTENTION_RESENDS) {
        return OUTCOME_ERROR;
      }
      g_srb.SenseArea[2] = 0;
    }
    done += g_srb.SRB_BufLen;
    g_srb.CDBByte[2] = 0;
    Put24(&g_srb.CDBByte[3], offset + done);
    --chunks;
  }
  return RequestOutcome();
}

}  // namespace

DriveOutcome TestUnitReady() {
  RequestFields fields = SelectedDrive(SRB_EVENT_NOTIFY);
  fields.cdb[0] = kTestUnitReady;
  fields.cdbLength = 6;
  return ExecuteRequest(fields, TEST_UNIT_READY_TIMEOUT);
}

DriveOutcome Inquiry() {
  if (g_inquiryBuffer == nullptr) {
    return OUTCOME_ERROR;
  }
  std::memset(g_inquiryBuffer, 0, INQUIRY_BUFFER_SIZE);
  RequestFields fields = SelectedDrive(SRB_EVENT_NOTIFY | SRB_DIR_IN);
  fields.buffer = g_inquiryBuffer;
  fields.bufferLength = kInquiryLength;
  fields.cdb = {kInquiry, 0, 0, 0, static_cast<std::uint8_t>(kInquiryLength), 0};
  fields.cdbLength = 6;
  return ExecuteRequest(fields, INQUIRY_TIMEOUT);
}

DriveOutcome ReadBuffer(std::uint8_t mode, std::uint8_t bufferId, std::uint32_t offset,
                        std::uint32_t totalLength, std::uint32_t chunkLength) {
  return TransferChunks(kReadBuffer10, SRB_DIR_IN, g_readBuffer, READ_BUFFER_SIZE,
                        READ_BUFFER_TIMEOUT, mode, bufferId, offset, totalLength, chunkLength);
}

DriveOutcome WriteBuffer(std::uint8_t mode, std::uint8_t bufferId, std::uint32_t offset,
                         std::uint32_t totalLength, std::uint32_t chunkLength) {
  return TransferChunks(kWriteBuffer10, SRB_DIR_OUT, g_writeBuffer, WRITE_BUFFER_SIZE,
                        WRITE_BUFFER_TIMEOUT, mode, bufferId, offset, totalLength, chunkLength);
}

DriveOutcome ReadDriveIdBlock() {
  return ReadBuffer(2, kIdBlockBuffer, 0, sizeof(DriveIdBlock), sizeof(DriveIdBlock));
}

int ProbeKernelMarker() {
  ReadBuffer(2, kKernelMarkerBuffer, kKernelMarkerOffset, kKernelMarkerLength, kKernelMarkerLength);
  return g_readBuffer != nullptr && g_readBuffer[0] == kKernelMarkerSet ? 1 : 0;
}

DriveOutcome WriteSignature(std::uint8_t mode) {
  if (g_writeBuffer == nullptr) {
    return OUTCOME_ERROR;
  }
  std::copy(MODE_SWITCH_SIGNATURE.begin(), MODE_SWITCH_SIGNATURE.end(), g_writeBuffer);
  std::fill(g_writeBuffer + MODE_SWITCH_SIGNATURE.size(), g_writeBuffer + kSignatureTransferLength,
            std::uint8_t{0});
  drvflash::ActiveClock().Sleep(SIGNATURE_PAUSE);
  return WriteBuffer(mode, kSignatureBuffer, 0, kSignatureTransferLength, kSignatureTransferLength);
}
