#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The first 320 bytes of a firmware file. The header is part of the image sent to the drive;
// only the fields below are read.
struct FirmwareHeader {
  std::uint8_t leading[144];
  char firmwareVersion[4];  // "1.28": digit, point, digit, digit; no terminator
  std::uint8_t gap1[28];
  std::uint8_t hardwareVersion[8];
  std::uint8_t gap2[24];
  char vendorId[8];  // space-padded
  std::uint8_t gap3[24];
  char variantId[8];
  std::uint8_t gap4[24];
  std::uint8_t partKind;  // PART_KIND_KERNEL or PART_KIND_NORMAL
  std::uint8_t trailing[47];
};
static_assert(sizeof(FirmwareHeader) == 320);
static_assert(offsetof(FirmwareHeader, firmwareVersion) == 144);
static_assert(offsetof(FirmwareHeader, hardwareVersion) == 176);
static_assert(offsetof(FirmwareHeader, vendorId) == 208);
static_assert(offsetof(FirmwareHeader, variantId) == 240);
static_assert(offsetof(FirmwareHeader, partKind) == 272);

inline constexpr std::uint8_t PART_KIND_KERNEL = 'K';
inline constexpr std::uint8_t PART_KIND_NORMAL = 'N';

// What the update sends of each kind of file: the normal part in 32 chunks, the kernel part in 2.
inline constexpr std::size_t FIRMWARE_CHUNK_SIZE = 0x8000;
inline constexpr std::size_t NORMAL_IMAGE_SIZE = 32 * FIRMWARE_CHUNK_SIZE;
inline constexpr std::size_t KERNEL_IMAGE_SIZE = 2 * FIRMWARE_CHUNK_SIZE;

// Editions, by the drive's vendor id. Only the OEM editions have the downgrade rule and may need
// their kernel part; the maker's own edition is named "Korvane" in messages.
inline constexpr std::string_view MAKER_VENDOR_ID{"ROZUVAZ "};
inline constexpr std::string_view MAKER_EDITION_NAME{"Korvane"};
inline constexpr std::string_view OEM_VENDOR_IDS[] = {"ZEPHRA  ", "MORIC   "};
// An OEM drive never receives this version, and one that reports it needs its kernel part.
inline constexpr std::string_view PROTECTED_VERSION{"1.28"};
// The revision of a drive left in kernel mode.
inline constexpr std::string_view KERNEL_MODE_REVISION{"0000"};
