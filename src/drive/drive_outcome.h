#pragma once

#include <cstdint>

// What every drive command returns. There is no value 4.
enum DriveOutcome : std::uint8_t {
  OUTCOME_OK = 0,
  OUTCOME_ERROR = 1,
  OUTCOME_NO_COMPLETION = 2,
  OUTCOME_NO_MEDIUM = 3,
  OUTCOME_BECOMING_READY = 5,
  OUTCOME_COMM_TIMEOUT = 6,
  OUTCOME_RESET = 7,
  OUTCOME_MEDIUM_CHANGED = 8,
  OUTCOME_INIT_REQUIRED = 9,
  OUTCOME_SELF_CONFIG_FAILED = 10,
};
