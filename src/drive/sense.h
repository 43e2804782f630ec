#pragma once

#include <cstdint>
#include <string>

#include "drive/drive_outcome.h"

// The outcome that sense data classifies as. The sense key byte is compared whole: its
// filemark, end-of-medium and incorrect-length flags make any key an OUTCOME_ERROR.
DriveOutcome ClassifySense(std::uint8_t senseKeyByte, std::uint8_t asc, std::uint8_t ascq);

// "kk-aa-qq" in lower-case hex, the sense key masked to its low four bits.
std::string FormatSenseText(std::uint8_t senseKeyByte, std::uint8_t asc, std::uint8_t ascq);
