// Writes a sample normal-part firmware file and its kernel-part file, for the simulated drive,
// the demo and tests.

#include <charconv>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "sample_firmware.h"

namespace {

constexpr std::string_view kUsage =
    "usage: make_firmware [options] [FOLDER]\n"
    "Writes T58xx1yy.NNN (normal part, 1 MiB) and T58xx0yy.NNN (kernel part, 64 KiB) into\n"
    "FOLDER (default: the current folder).\n"
    "  --version D.DD        firmwareVersion (default 1.30)\n"
    "  --hardware TEXT       hardwareVersion, up to 8 characters (default HW-REV01)\n"
    "  --vendor TEXT         vendorId, up to 8 characters (default ZEPHRA)\n"
    "  --variant TEXT        variantId, up to 8 characters (default STD)\n"
    "  --model XXYY          the free characters of the file names (default ABCD)\n"
    "  --normal-kind C       partKind of the normal part (default N)\n"
    "  --kernel-kind C       partKind of the kernel part (default K)\n"
    "  --wrong-marker PART   give PART (normal or kernel) the other part's marker\n"
    "  --short PART[=BYTES]  cut PART (normal or kernel) to BYTES (default: half of it)\n";

int Fail(const std::string& message) {
  std::cerr << "make_firmware: " << message << '\n' << kUsage;
  return 2;
}

std::optional<std::size_t> ParseSize(std::string_view text) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  using drvflash::tools::SampleFirmwareSet;
  SampleFirmwareSet set;
  std::string folder = ".";
  bool folderGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (!option.starts_with("--")) {
      if (folderGiven) {
        return Fail("more than one folder given");
      }
      folder = argv[i];
      folderGiven = true;
      continue;
    }
    if (i + 1 >= argc) {
      return Fail(std::string(option) + " needs a value");
    }
    const std::string value = argv[++i];
    if (option == "--version") {
      set.identity.firmwareVersion = value;
    } else if (option == "--hardware") {
      set.identity.hardwareVersion = value;
    } else if (option == "--vendor") {
      set.identity.vendorId = value;
    } else if (option == "--variant") {
      set.identity.variantId = value;
    } else if (option == "--model") {
      set.model = value;
    } else if ((option == "--normal-kind" || option == "--kernel-kind") && value.size() == 1) {
      (option == "--normal-kind" ? set.normalPartKind : set.kernelPartKind) = value[0];
    } else if (option == "--wrong-marker" && (value == "normal" || value == "kernel")) {
      (value == "normal" ? set.normalPartKind : set.kernelPartKind) = value == "normal" ? 'K' : 'N';
    } else if (option == "--short") {
      const std::string part = value.substr(0, value.find('='));
      if (part != "normal" && part != "kernel") {
        return Fail("--short takes normal or kernel, optionally =BYTES");
      }
      std::size_t& size = part == "normal" ? set.normalSize : set.kernelSize;
      std::optional<std::size_t> bytes = size / 2;
      if (value.size() > part.size()) {
        bytes = ParseSize(std::string_view(value).substr(part.size() + 1));
      }
      if (!bytes || *bytes >= size) {
        return Fail("--short " + value + ": the size must be a number below the part's size");
      }
      size = *bytes;
    } else {
      return Fail("unknown option or bad value: " + std::string(option) + " " + value);
    }
  }
  const auto written = drvflash::tools::WriteSampleFirmware(set, folder);
  if (!written.error.empty()) {
    std::cerr << "make_firmware: " << written.error << '\n';
    return 1;
  }
  std::cout << written.normalPart.string() << '\n' << written.kernelPart.string() << '\n';
  return 0;
}
