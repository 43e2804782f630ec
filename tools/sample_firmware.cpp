#include "sample_firmware.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace drvflash::tools {
namespace {

constexpr std::size_t kHeaderSize = 320;
constexpr std::size_t kVersionAt = 144;
constexpr std::size_t kHardwareAt = 176;
constexpr std::size_t kVendorAt = 208;
constexpr std::size_t kVariantAt = 240;
constexpr std::size_t kPartKindAt = 272;

void PutText(std::vector<std::uint8_t>& image, std::size_t at, std::size_t width,
             const std::string& text) {
  if (at >= image.size()) {
    return;
  }
  const std::size_t room = std::min(width, image.size() - at);
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(at), room, std::uint8_t{' '});
  std::copy_n(text.begin(), std::min(room, text.size()),
              image.begin() + static_cast<std::ptrdiff_t>(at));
}

bool IsVersion(const std::string& version) {
  auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  return version.size() == 4 && digit(version[0]) && version[1] == '.' && digit(version[2]) &&
         digit(version[3]);
}

std::string VersionDigits(const std::string& version) {
  return std::string{version[0], version[2], version[3]};
}

bool WriteFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes,
               std::string& error) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    error = "cannot write " + file.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::uint8_t> MakeFirmwareImage(const FirmwareIdentity& identity, char partKind,
                                            std::size_t size) {
  std::vector<std::uint8_t> image(size, 0);
  const char versionTail = identity.firmwareVersion.empty() ? 0 : identity.firmwareVersion.back();
  const auto seed = static_cast<std::uint8_t>(partKind + versionTail);
  for (std::size_t i = kHeaderSize; i < size; ++i) {
    image[i] = static_cast<std::uint8_t>((i * 131 + (i >> 12) + seed) & 0xFF);
  }
  PutText(image, kVersionAt, 4, identity.firmwareVersion);
  PutText(image, kHardwareAt, 8, identity.hardwareVersion);
  PutText(image, kVendorAt, 8, identity.vendorId);
  PutText(image, kVariantAt, 8, identity.variantId);
  if (kPartKindAt < size) {
    image[kPartKindAt] = static_cast<std::uint8_t>(partKind);
  }
  return image;
}

std::string NormalPartFileName(const std::string& model, const std::string& firmwareVersion) {
  return "T58" + model.substr(0, 2) + "1" + model.substr(2, 2) + "." +
         VersionDigits(firmwareVersion);
}

std::string KernelPartFileName(const std::string& model, const std::string& firmwareVersion) {
  return "T58" + model.substr(0, 2) + "0" + model.substr(2, 2) + "." +
         VersionDigits(firmwareVersion);
}

std::string CheckSampleFirmware(const SampleFirmwareSet& set) {
  const FirmwareIdentity& id = set.identity;
  if (!IsVersion(id.firmwareVersion)) {
    return "the firmware version \"" + id.firmwareVersion + "\" is not of the form d.dd";
  }
  if (id.hardwareVersion.size() > 8 || id.vendorId.size() > 8 || id.variantId.size() > 8) {
    return "hardware version, vendor id and variant id take at most 8 characters each";
  }
  if (set.model.size() != 4 || std::any_of(set.model.begin(), set.model.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) == 0;
      })) {
    return "the model \"" + set.model + "\" must be four letters or digits";
  }
  return {};
}

WrittenFirmware WriteSampleFirmware(const SampleFirmwareSet& set,
                                    const std::filesystem::path& folder) {
  WrittenFirmware written;
  written.error = CheckSampleFirmware(set);
  if (!written.error.empty()) {
    return written;
  }
  const std::string& version = set.identity.firmwareVersion;
  written.normalPart = folder / NormalPartFileName(set.model, version);
  written.kernelPart = folder / KernelPartFileName(set.model, version);
  if (WriteFile(written.normalPart,
                MakeFirmwareImage(set.identity, set.normalPartKind, set.normalSize),
                written.error)) {
    WriteFile(written.kernelPart,
              MakeFirmwareImage(set.identity, set.kernelPartKind, set.kernelSize), written.error);
  }
  return written;
}

}  // namespace drvflash::tools
