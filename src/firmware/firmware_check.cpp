#include "firmware/firmware_check.h"

#include <cstring>
#include <optional>
#include <string>

#include "drive/command_set.h"
#include "drive/drive_id_block.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "firmware/edition.h"
#include "firmware/firmware_check_messages.h"
#include "firmware/firmware_file.h"
#include "firmware/firmware_header.h"
#include "firmware/header_comparison.h"
#include "firmware/kernel_file_path.h"
#include "ui/updater_dlg.h"
#include "update/worker_request.h"

int g_kernelUpdate = 0;

namespace {

// INQUIRY data: the product revision level, four characters.
constexpr std::size_t kRevisionOffset = 32;
constexpr std::size_t kRevisionLength = 4;

void Report(CUpdaterDlg& dialog, const CheckMessage& message) {
  dialog.ShowMessageBox(message.text, message.caption, drvflash::BoxButtons::Ok);
  if (!message.logText.empty()) {
    dialog.AppendLogText(message.logText);
  }
}

bool SameBytes(const void* a, const void* b, std::size_t size) {
  return std::memcmp(a, b, size) == 0;
}

// The header of the file at `path`, judged as the image of `imageSize` bytes that the update
// will send from it: a file that cannot be opened, is shorter than its image or whose header
// cannot be read is refused here, before anything reaches the drive. A longer file is fine;
// only its image is sent. The file is closed again on return.
std::optional<FirmwareHeader> ReadImageHeader(CUpdaterDlg& dialog, const std::string& path,
                                              std::size_t imageSize) {
  const std::optional<FirmwareFile> file = FirmwareFile::Open(path);
  if (!file) {
    ShowFileOpenError(dialog, path);
    return std::nullopt;
  }
  std::optional<FirmwareHeader> header;
  if (file->Size() >= imageSize) {
    header = file->ReadHeader();
  }
  if (!header) {
    Report(dialog, IncompleteImageMessage(path));
  }
  return header;
}

// A header against the drive's identification; the first field that differs is reported.
bool MatchesDrive(CUpdaterDlg& dialog, const FirmwareHeader& header, const DriveIdBlock& drive,
                  const std::string& chosenPath, bool compareVariant) {
  switch (FirstHeaderMismatch(header, drive, compareVariant)) {
    case HeaderMismatch::None:
      return true;
    case HeaderMismatch::HardwareVersion:
      dialog.ShowMessageAndLogLine(120, 121, 122, drvflash::BoxButtons::Ok);
      return false;
    case HeaderMismatch::VendorId: {
      const auto* vendor = reinterpret_cast<const std::uint8_t*>(drive.vendorId);
      Report(dialog, ImproperFirmwareMessage(chosenPath, EditionName(vendor)));
      return false;
    }
    case HeaderMismatch::VariantId: {
      const auto* variant = reinterpret_cast<const std::uint8_t*>(drive.variantId);
      Report(dialog, ImproperFirmwareMessage(chosenPath, EditionName(variant)));
      return false;
    }
  }
  return false;
}

bool IsRevision(std::string_view revision) {
  return g_inquiryBuffer != nullptr &&
         SameBytes(g_inquiryBuffer + kRevisionOffset, revision.data(), kRevisionLength);
}

}  // namespace

void ShowFileOpenError(CUpdaterDlg& dialog, std::string_view path) {
  Report(dialog, FileOpenErrorMessage(path));
}

int CheckFirmwareFile(WorkerRequest& request) {
  CUpdaterDlg& dialog = *request.dialog;
  const std::string& path = request.n_filename;
  g_kernelUpdate = 0;
  request.firmwareVersion.clear();

  if (ReadDriveIdBlock() != OUTCOME_OK) {
    Report(dialog, DriveIdReadFailureMessage(FormatSenseText()));
    return CHECK_STOPPED;
  }
  // A copy, since the kernel-marker probe reads into the same buffer.
  DriveIdBlock drive;
  std::memcpy(&drive, g_readBuffer, sizeof drive);

  std::optional<FirmwareHeader> normal = ReadImageHeader(dialog, path, NORMAL_IMAGE_SIZE);
  if (!normal) {
    return CHECK_STOPPED;
  }

  if (IsOemEdition(reinterpret_cast<const std::uint8_t*>(drive.vendorId))) {
    if (SameBytes(normal->firmwareVersion, PROTECTED_VERSION.data(), PROTECTED_VERSION.size())) {
      dialog.ShowMessageAndLogLine(117, 118, 119, drvflash::BoxButtons::Ok);
      return CHECK_STOPPED;
    }
    // A failed INQUIRY leaves the buffer cleared, a revision that matches neither below.
    Inquiry();
    if (IsRevision(PROTECTED_VERSION)) {
      g_kernelUpdate = 1;
    }
    if (IsRevision(KERNEL_MODE_REVISION)) {
      g_kernelUpdate = ProbeKernelMarker();
    }
  }

  if (g_kernelUpdate != 0) {
    const std::optional<std::string> kernelPath = KernelFilePath(path);
    if (!kernelPath) {
      // Too short a path has no kernel-part file to name.
      ShowFileOpenError(dialog, path);
      return CHECK_STOPPED;
    }
    const std::optional<FirmwareHeader> kernel =
        ReadImageHeader(dialog, *kernelPath, KERNEL_IMAGE_SIZE);
    if (!kernel || !MatchesDrive(dialog, *kernel, drive, path, /*compareVariant=*/false)) {
      return CHECK_STOPPED;
    }
  }

  // Read again: the file may have changed while the drive was asked.
  normal = ReadImageHeader(dialog, path, NORMAL_IMAGE_SIZE);
  if (!normal || !MatchesDrive(dialog, *normal, drive, path, /*compareVariant=*/true)) {
    return CHECK_STOPPED;
  }
  request.firmwareVersion.assign(normal->firmwareVersion, sizeof normal->firmwareVersion);
  return IsVariantBlank(drive) ? CHECK_PASSED_VARIANT_BLANK : CHECK_PASSED;
}
