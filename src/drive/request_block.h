#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "aspi/aspi.h"
#include "drive/drive_outcome.h"
#include "platform/clock.h"
#include "platform/completion_event.h"

// The one request block through which every command reaches the drive. Between requests it
// holds the fields, status and sense of the last one.
extern SRB_ExecSCSICmd g_srb;

// The selected drive: host adapter, target and logical unit (always 0).
extern std::uint8_t g_haId;
extern std::uint8_t g_targetId;
extern std::uint8_t g_lun;

// The fields of one command, as the request cycle writes them into g_srb.
struct RequestFields {
  std::uint8_t haId = 0;
  std::uint8_t targetId = 0;
  std::uint8_t lun = 0;
  std::uint8_t flags = SRB_EVENT_NOTIFY;
  std::uint8_t* buffer = nullptr;
  std::uint32_t bufferLength = 0;
  std::array<std::uint8_t, 16> cdb{};
  std::uint8_t cdbLength = 0;
};

// Clears g_srb and fills it with `fields`, the sense length and `event`.
void FillRequestBlock(const RequestFields& fields, drvflash::CompletionEvent& event);

// Sends g_srb and, while the layer reports it pending, waits for `event` at most `timeout`. A
// request that the layer ended at once is not waited for.
void SendRequestBlock(drvflash::CompletionEvent& event, drvflash::Milliseconds timeout);

// One request cycle with a single send; the outcome of g_srb afterwards.
DriveOutcome ExecuteRequest(const RequestFields& fields, drvflash::Milliseconds timeout);

// The outcome of g_srb after its last wait: SS_COMP is OUTCOME_OK, SS_PENDING is
// OUTCOME_NO_COMPLETION; a failure is classified by its sense data only when the drive sent
// some (CHECK CONDITION), else it is OUTCOME_ERROR (adapter or transport failure, BUSY, ...).
DriveOutcome RequestOutcome();

// ClassifySense and FormatSenseText of the sense area of g_srb.
DriveOutcome ClassifySense();
std::string FormatSenseText();
