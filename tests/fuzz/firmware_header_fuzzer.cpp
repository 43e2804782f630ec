// A firmware file of arbitrary bytes, read as the compatibility check reads it, and its header
// compared with the identification blocks that simulated drives report.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_aspi_layer.h"
#include "drive/command_set.h"
#include "drive/drive_id_block.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "firmware/edition.h"
#include "firmware/firmware_file.h"
#include "firmware/firmware_header.h"
#include "firmware/header_comparison.h"
#include "fuzz_require.h"
#include "platform/virtual_clock.h"

namespace {

// Where the fields the check compares lie in a file, by the file format.
constexpr std::size_t kHardwareAt = 176;
constexpr std::size_t kVendorAt = 208;
constexpr std::size_t kVariantAt = 240;
constexpr std::size_t kFieldSize = 8;
constexpr std::size_t kHeaderSize = 320;

// Drives of the three editions, one of them with a blank variant.
constexpr std::string_view kScenario = R"({"adapters": [{"targets": {
  "1": {"id_block": {"hardware": "HW-REV01", "vendor": "ZEPHRA  ", "variant": "STD     "}},
  "2": {"id_block": {"hardware": "HW-REV02", "vendor": "MORIC   ", "variant": " "}},
  "3": {"id_block": {"hardware": "HW-REV01", "vendor": "ROZUVAZ ", "variant": "RETAIL  "}}
}}]})";

std::vector<DriveIdBlock> g_drives;
std::filesystem::path g_file;

// The identification blocks as the drives report them to READ BUFFER.
std::vector<DriveIdBlock> ReadSimulatedDrives() {
  static drvflash::VirtualClock clock;
  drvflash::SetActiveClock(&clock);
  const drvflash::sim::ScenarioLoad load =
      drvflash::sim::ParseScenario(kScenario, "fuzz scenario", {});
  FUZZ_REQUIRE(load.scenario.has_value());
  std::string error;
  const auto layer = drvflash::sim::SimulatedAspiLayer::Create(*load.scenario, error);
  FUZZ_REQUIRE(layer != nullptr);
  drvflash::SetActiveAspiLayer(layer.get());
  AllocateTransferBuffers();
  std::vector<DriveIdBlock> drives;
  for (std::uint8_t target = 1; target <= 3; ++target) {
    g_haId = 0;
    g_targetId = target;
    FUZZ_REQUIRE(ReadDriveIdBlock() == OUTCOME_OK);
    DriveIdBlock& drive = drives.emplace_back();
    std::memcpy(&drive, g_readBuffer, sizeof drive);
  }
  FreeTransferBuffers();
  drvflash::SetActiveAspiLayer(nullptr);
  drvflash::SetActiveClock(nullptr);
  return drives;
}

// The file is written anew for every input: in memory when no TMPDIR says otherwise, which
// runs some forty times faster than on disk.
std::filesystem::path ScratchDirectory() {
  std::error_code error;
  if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm", error) &&
      ::access("/dev/shm", W_OK) == 0) {
    return "/dev/shm";
  }
  return std::filesystem::temp_directory_path();
}

void RemoveScratchFile() {
  std::error_code ignored;
  std::filesystem::remove(g_file, ignored);
}

bool SameField(const std::uint8_t* file, const void* drive) {
  return std::memcmp(file, drive, kFieldSize) == 0;
}

// The check's rule, read from the file's bytes.
HeaderMismatch ExpectedMismatch(const std::uint8_t* bytes, const DriveIdBlock& drive,
                                bool compareVariant) {
  if (!SameField(bytes + kHardwareAt, drive.hardwareVersion)) {
    return HeaderMismatch::HardwareVersion;
  }
  if (!SameField(bytes + kVendorAt, drive.vendorId)) {
    return HeaderMismatch::VendorId;
  }
  if (compareVariant && drive.variantId[0] != ' ' &&
      !SameField(bytes + kVariantAt, drive.variantId)) {
    return HeaderMismatch::VariantId;
  }
  return HeaderMismatch::None;
}

FirmwareHeader AsHeader(const std::uint8_t* bytes) {
  FirmwareHeader header;
  std::memcpy(&header, bytes, sizeof header);
  return header;
}

void CheckComparison(const std::uint8_t* bytes, std::size_t flipAt) {
  for (const DriveIdBlock& drive : g_drives) {
    for (const bool compareVariant : {false, true}) {
      FUZZ_REQUIRE(FirstHeaderMismatch(AsHeader(bytes), drive, compareVariant) ==
                   ExpectedMismatch(bytes, drive, compareVariant));

      // The drive's own fields put into the header make it fit, whatever the rest holds.
      std::array<std::uint8_t, kHeaderSize> fitting;
      std::copy_n(bytes, kHeaderSize, fitting.begin());
      std::memcpy(&fitting[kHardwareAt], drive.hardwareVersion, kFieldSize);
      std::memcpy(&fitting[kVendorAt], drive.vendorId, kFieldSize);
      std::memcpy(&fitting[kVariantAt], drive.variantId, kFieldSize);
      FUZZ_REQUIRE(FirstHeaderMismatch(AsHeader(fitting.data()), drive, compareVariant) ==
                   HeaderMismatch::None);

      // One byte changed: in a compared field it is found, anywhere else it changes nothing.
      std::array<std::uint8_t, kHeaderSize> changed = fitting;
      changed[flipAt] ^= 0x20;
      HeaderMismatch expected = HeaderMismatch::None;
      if (flipAt >= kHardwareAt && flipAt < kHardwareAt + kFieldSize) {
        expected = HeaderMismatch::HardwareVersion;
      } else if (flipAt >= kVendorAt && flipAt < kVendorAt + kFieldSize) {
        expected = HeaderMismatch::VendorId;
      } else if (flipAt >= kVariantAt && flipAt < kVariantAt + kFieldSize && compareVariant &&
                 !IsVariantBlank(drive)) {
        expected = HeaderMismatch::VariantId;
      }
      FUZZ_REQUIRE(FirstHeaderMismatch(AsHeader(changed.data()), drive, compareVariant) ==
                   expected);
    }
  }

  // The edition a message names: the vendor bytes up to a 0 byte, or the maker's name.
  const std::string edition = EditionName(bytes + kVendorAt);
  const char* vendor = reinterpret_cast<const char*>(bytes + kVendorAt);
  const std::string uptoZero(vendor, strnlen(vendor, kFieldSize));
  FUZZ_REQUIRE(edition ==
               (uptoZero == MAKER_VENDOR_ID ? std::string(MAKER_EDITION_NAME) : uptoZero));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_drives = ReadSimulatedDrives();
  FUZZ_REQUIRE(IsVariantBlank(g_drives[1]) && !IsVariantBlank(g_drives[0]));
  g_file = ScratchDirectory() / ("drvflash-header-fuzz-" + std::to_string(::getpid()) + ".bin");
  std::atexit(RemoveScratchFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    FUZZ_REQUIRE(out.good());
  }

  std::optional<FirmwareFile> file = FirmwareFile::Open(g_file.string());
  FUZZ_REQUIRE(file.has_value());
  FUZZ_REQUIRE(file->Size() == size);
  // Held exclusively: a second opener is refused until it is closed.
  FUZZ_REQUIRE(!FirmwareFile::Open(g_file.string()).has_value());

  const std::optional<FirmwareHeader> header = file->ReadHeader();
  FUZZ_REQUIRE(header.has_value() == (size >= kHeaderSize));
  if (header) {
    FUZZ_REQUIRE(std::memcmp(&*header, data, kHeaderSize) == 0);
  }

  // Reading on from the start, in uneven pieces, gives the file back whole, then nothing.
  std::vector<std::uint8_t> readBack;
  std::array<std::uint8_t, 97> piece;
  std::size_t got = 0;
  while ((got = file->Read(piece)) > 0) {
    FUZZ_REQUIRE(got == piece.size() || readBack.size() + got == size);
    readBack.insert(readBack.end(), piece.begin(),
                    piece.begin() + static_cast<std::ptrdiff_t>(got));
  }
  FUZZ_REQUIRE(readBack.size() == size && std::equal(readBack.begin(), readBack.end(), data));

  file.reset();
  FUZZ_REQUIRE(FirmwareFile::Open(g_file.string()).has_value());

  if (header) {
    // The header byte to change, chosen by the two bytes after the header.
    const std::size_t flipAt =
        size > kHeaderSize + 1 ? (data[kHeaderSize] + 256u * data[kHeaderSize + 1]) % kHeaderSize
                               : 0;
    CheckComparison(data, flipAt);
  }
  return 0;
}
