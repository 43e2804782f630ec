#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace drvflash::tools {

inline constexpr std::size_t NORMAL_PART_SIZE = 0x100000;
inline constexpr std::size_t KERNEL_PART_SIZE = 0x10000;

// The identification that a firmware image carries in its header, each text padded with
// spaces to its width.
struct FirmwareIdentity {
  std::string firmwareVersion = "1.30";      // d.dd
  std::string hardwareVersion = "HW-REV01";  // 8
  std::string vendorId = "ZEPHRA  ";         // 8
  std::string variantId = "STD     ";        // 8
};

// One firmware image: header fields at their offsets (firmwareVersion 144, hardwareVersion
// 176, vendorId 208, variantId 240, partKind 272), the other header bytes 0, and after the
// header a filler that differs with the part kind and the version, so images can be told apart.
std::vector<std::uint8_t> MakeFirmwareImage(const FirmwareIdentity& identity, char partKind,
                                            std::size_t size);

// File names: "T58" + the first two characters of `model` + "1" (normal part) or "0" (kernel
// part) + the last two characters of `model` + "." + the version's three digits.
std::string NormalPartFileName(const std::string& model, const std::string& firmwareVersion);
std::string KernelPartFileName(const std::string& model, const std::string& firmwareVersion);

// What to write: a normal part and its kernel part, either of them with a wrong marker or cut
// short to test how they are refused.
struct SampleFirmwareSet {
  FirmwareIdentity identity;
  std::string model = "ABCD";  // four characters of the file names
  char normalPartKind = 'N';
  char kernelPartKind = 'K';
  std::size_t normalSize = NORMAL_PART_SIZE;
  std::size_t kernelSize = KERNEL_PART_SIZE;
};

struct WrittenFirmware {
  std::filesystem::path normalPart;
  std::filesystem::path kernelPart;
  std::string error;  // set when the set is invalid or a file cannot be written
};

WrittenFirmware WriteSampleFirmware(const SampleFirmwareSet& set,
                                    const std::filesystem::path& folder);

// Why the set cannot be written (a text too long, a version not d.dd, a size below the header),
// or empty.
std::string CheckSampleFirmware(const SampleFirmwareSet& set);

}  // namespace drvflash::tools
