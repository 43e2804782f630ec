#pragma once

#include <cstdint>
#include <string_view>

// The drive's identification block (READ BUFFER mode 2, buffer 0xF1). Text fields are
// fixed-width and carry no terminator.
struct DriveIdBlock {
  char serialNumber[16];
  std::uint8_t hardwareVersion[8];
  char vendorId[8];   // "ROZUVAZ ", "ZEPHRA  ", "MORIC   "
  char variantId[8];  // blank when its first byte is a space
  std::uint8_t reserved[8];
};
static_assert(sizeof(DriveIdBlock) == 48);

// Sent in bytes 0-15 of the mode-switch transfers; no terminator.
inline constexpr std::string_view MODE_SWITCH_SIGNATURE{"KORVANE QTX-M482"};
static_assert(MODE_SWITCH_SIGNATURE.size() == 16);
