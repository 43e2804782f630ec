#include "drive/request_block.h"

#include <algorithm>
#include <cstring>

#include "drive/sense.h"

SRB_ExecSCSICmd g_srb{};
std::uint8_t g_haId = 0;
std::uint8_t g_targetId = 0;
std::uint8_t g_lun = 0;

namespace {
constexpr std::size_t kSenseKeyOffset = 2;
constexpr std::size_t kAscOffset = 12;
constexpr std::size_t kAscqOffset = 13;
}  // namespace

void FillRequestBlock(const RequestFields& fields, drvflash::CompletionEvent& event) {
  std::memset(&g_srb, 0, sizeof g_srb);
  g_srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
  g_srb.SRB_HaId = fields.haId;
  g_srb.SRB_Flags = fields.flags;
  g_srb.SRB_Target = fields.targetId;
  g_srb.SRB_Lun = fields.lun;
  g_srb.SRB_BufLen = fields.bufferLength;
  g_srb.SRB_BufPointer = fields.buffer;
  g_srb.SRB_SenseLen = SENSE_LEN;
  g_srb.SRB_CDBLen = fields.cdbLength;
  g_srb.SRB_PostProc = &event;
  std::copy_n(fields.cdb.begin(), std::min<std::size_t>(fields.cdbLength, fields.cdb.size()),
              g_srb.CDBByte);
}

void SendRequestBlock(drvflash::CompletionEvent& event, drvflash::Milliseconds timeout) {
  if (SendASPI32Command(&g_srb) == SS_PENDING) {
    event.Wait(timeout);
  }
}

DriveOutcome ExecuteRequest(const RequestFields& fields, drvflash::Milliseconds timeout) {
  drvflash::CompletionEvent event;
  FillRequestBlock(fields, event);
  SendRequestBlock(event, timeout);
  return RequestOutcome();
}

DriveOutcome RequestOutcome() {
  switch (g_srb.SRB_Status) {
    case SS_COMP:
      return OUTCOME_OK;
    case SS_PENDING:
      return OUTCOME_NO_COMPLETION;
    default:
      if (g_srb.SRB_HaStat != HASTAT_OK || g_srb.SRB_TargStat != STATUS_CHKCOND) {
        return OUTCOME_ERROR;
      }
      return ClassifySense();
  }
}

DriveOutcome ClassifySense() {
  return ClassifySense(g_srb.SenseArea[kSenseKeyOffset], g_srb.SenseArea[kAscOffset],
                       g_srb.SenseArea[kAscqOffset]);
}

std::string FormatSenseText() {
  return FormatSenseText(g_srb.SenseArea[kSenseKeyOffset], g_srb.SenseArea[kAscOffset],
                         g_srb.SenseArea[kAscqOffset]);
}
