#pragma once

#include <cstdint>
#include <vector>

#include "aspi/aspi.h"

namespace drvflash {

// How a request ended, as an ASPI layer reports it to the requester.
struct ScsiAnswer {
  BYTE status = SS_COMP;  // SRB_Status
  BYTE haStat = HASTAT_OK;
  BYTE targStat = STATUS_GOOD;
  std::vector<BYTE> sense;   // fixed format; empty: the sense area is left as it was
  std::vector<BYTE> dataIn;  // data from the device, for SRB_DIR_IN requests
  int osError = 0;           // errno where the operating system failed the request (trace only)

  static ScsiAnswer Good(std::vector<BYTE> data = {});
  // CHECK CONDITION with fixed-format sense carrying `senseKey`, `asc` and `ascq`.
  static ScsiAnswer CheckCondition(BYTE senseKey, BYTE asc, BYTE ascq);
  // The adapter or the transport failed; no sense data.
  static ScsiAnswer HostError(BYTE haStat);
  // The target answered with a status other than GOOD or CHECK CONDITION; no sense data.
  static ScsiAnswer TargetStatus(BYTE targStat);
};

// 18 bytes of fixed-format (response code 0x70) sense data.
std::vector<BYTE> FixedFormatSense(BYTE senseKey, BYTE asc, BYTE ascq);

}  // namespace drvflash
