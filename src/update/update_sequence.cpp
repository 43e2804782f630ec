#include "update/update_sequence.h"

#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "drive/command_set.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "firmware/edition.h"
#include "firmware/firmware_check.h"
#include "firmware/firmware_file.h"
#include "firmware/firmware_header.h"
#include "firmware/kernel_file_path.h"
#include "platform/clock.h"
#include "ui/updater_dlg.h"
#include "update/probe_variant_field.h"
#include "update/update_messages.h"

namespace {

using drvflash::BoxButtons;
using drvflash::Milliseconds;

constexpr std::uint8_t DOWNLOAD_MODE = 7;
constexpr std::uint8_t KERNEL_BUFFER_ID = 0xFE;
constexpr std::uint8_t NORMAL_BUFFER_ID = 0xF0;
constexpr std::uint8_t OPEN_DOWNLOAD = 4;
constexpr std::uint8_t CLOSE_DOWNLOAD = 5;
constexpr std::uint32_t CHUNK_SIZE = FIRMWARE_CHUNK_SIZE;

// The mode switch and every chunk: the first send and at most 11 repeats.
constexpr int MAX_ATTEMPTS = 12;

constexpr Milliseconds WRITE_PAUSE{30};
constexpr Milliseconds NO_DISC_PAUSE{2000};
constexpr Milliseconds MODE_SWITCH_PAUSE{3000};
constexpr Milliseconds RESTART_WAIT{4000};

// INQUIRY data: the product revision level, four characters.
constexpr std::size_t REVISION_OFFSET = 32;
constexpr std::size_t REVISION_LENGTH = 4;

void Pause(Milliseconds duration) {
  drvflash::ActiveClock().Sleep(duration);
}

void Report(CUpdaterDlg& dialog, const CheckMessage& message) {
  dialog.ShowMessageBox(message.text, message.caption, BoxButtons::Ok);
  dialog.AppendLogText(message.logText);
}

void ReportDmaError(CUpdaterDlg& dialog) {
  dialog.ShowMessageAndLogLine(123, 124, 125, BoxButtons::Ok);
}

void ReportNoResponse(CUpdaterDlg& dialog) {
  dialog.ShowMessageAndLogLine(127, 128, 129, BoxButtons::Ok);
}

// True once no disc is found in the drive; otherwise the user has been told why not.
bool NoDiscLoaded(CUpdaterDlg& dialog) {
  switch (TestUnitReady()) {
    case OUTCOME_NO_MEDIUM:
    case OUTCOME_INIT_REQUIRED:
      return true;
    case OUTCOME_OK:
    case OUTCOME_BECOMING_READY:
      dialog.ShowMessageAndLogLine(112, 113, 114, BoxButtons::Ok);
      return false;
    default:
      Report(dialog, UnexpectedErrorMessage(FormatSenseText()));
      return false;
  }
}

bool SwitchToDownloadMode(CUpdaterDlg& dialog) {
  DriveOutcome outcome = OUTCOME_ERROR;
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    outcome = WriteSignature(OPEN_DOWNLOAD);
    if (outcome == OUTCOME_OK) {
      return true;
    }
  }
  if (outcome == OUTCOME_COMM_TIMEOUT) {
    ReportDmaError(dialog);
  } else {
    Report(dialog, FailToPrepareMessage(FormatSenseText()));
  }
  return false;
}

// One chunk from the start of g_writeBuffer, sent again while the drive reports a DMA time-out.
DriveOutcome SendChunk(std::uint8_t bufferId, std::uint32_t offset) {
  DriveOutcome outcome = OUTCOME_ERROR;
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    Pause(WRITE_PAUSE);
    outcome = WriteBuffer(DOWNLOAD_MODE, bufferId, offset, CHUNK_SIZE, CHUNK_SIZE);
    if (outcome != OUTCOME_COMM_TIMEOUT) {
      break;
    }
  }
  return outcome;
}

struct Part {
  std::uint8_t bufferId;
  std::uint8_t partKind;
  std::size_t chunks;
  unsigned startStringId;
};

constexpr Part KERNEL_PART{KERNEL_BUFFER_ID, PART_KIND_KERNEL, KERNEL_IMAGE_SIZE / CHUNK_SIZE, 131};
constexpr Part NORMAL_PART{NORMAL_BUFFER_ID, PART_KIND_NORMAL, NORMAL_IMAGE_SIZE / CHUNK_SIZE, 130};

// Sends the image of the part file at `path`, chunk by chunk, each read just before it is sent.
// True when every chunk went out; otherwise the user has been told why the update stopped.
bool WritePart(CUpdaterDlg& dialog, const std::string& path, const Part& part) {
  std::optional<FirmwareFile> file = FirmwareFile::Open(path);
  if (!file) {
    ShowFileOpenError(dialog, path);
    return false;
  }
  dialog.AppendLogString(part.startStringId);
  for (std::size_t chunk = 0; chunk < part.chunks; ++chunk) {
    // A short read means the file changed since the check: what the buffer holds beyond it is
    // not firmware, so nothing of it is sent.
    if (file->Read(std::span(g_writeBuffer, CHUNK_SIZE)) != CHUNK_SIZE) {
      Report(dialog, IncompleteImageMessage(path));
      return false;
    }
    if (chunk == 0 && g_writeBuffer[offsetof(FirmwareHeader, partKind)] != part.partKind) {
      dialog.AppendLogText(part.partKind == PART_KIND_KERNEL ? NotKernelFileText(path)
                                                             : NotNormalFileText(path));
      return false;
    }
    const DriveOutcome outcome =
        SendChunk(part.bufferId, static_cast<std::uint32_t>(chunk * CHUNK_SIZE));
    if (outcome == OUTCOME_COMM_TIMEOUT) {
      ReportDmaError(dialog);
      return false;
    }
    if (part.partKind == PART_KIND_NORMAL && outcome == OUTCOME_NO_COMPLETION) {
      ReportNoResponse(dialog);
      return false;
    }
    dialog.StepProgress();
  }
  return true;
}

// The revision of the INQUIRY data: four characters, fewer when a 0 byte ends it early.
std::string InquiryRevision() {
  g_inquiryBuffer[REVISION_OFFSET + REVISION_LENGTH] = 0;
  const char* revision = reinterpret_cast<const char*>(g_inquiryBuffer + REVISION_OFFSET);
  return std::string(revision, ::strnlen(revision, REVISION_LENGTH));
}

void ShowNewDriveVersion(CUpdaterDlg& dialog) {
  dialog.ScanDrives();
  dialog.SelectFirstDrive();
}

}  // namespace

PassEnd RunUpdatePass(WorkerRequest& request) {
  CUpdaterDlg& dialog = *request.dialog;

  TestUnitReady();
  dialog.ResetProgress();
  if (!NoDiscLoaded(dialog)) {
    return PassEnd::Finished;
  }
  Pause(NO_DISC_PAUSE);
  dialog.AppendLogString(115);

  if (CheckFirmwareFile(request) == CHECK_STOPPED) {
    return PassEnd::Finished;
  }
  dialog.StepProgress();

  // A drive without variant takes its firmware without being switched into download mode.
  if (ProbeVariantField(dialog) != VARIANT_BLANK && !SwitchToDownloadMode(dialog)) {
    return PassEnd::Finished;
  }
  dialog.StepProgress();
  Pause(MODE_SWITCH_PAUSE);
  dialog.AppendLogString(116);

  if (g_kernelUpdate != 0) {
    const std::optional<std::string> kernelPath = KernelFilePath(request.n_filename);
    if (!kernelPath) {
      ShowFileOpenError(dialog, request.n_filename);
      return PassEnd::Finished;
    }
    if (!WritePart(dialog, *kernelPath, KERNEL_PART)) {
      return PassEnd::Finished;
    }
    dialog.AppendLogString(126);
    Pause(RESTART_WAIT);
    if (TestUnitReady() == OUTCOME_NO_COMPLETION) {
      ReportNoResponse(dialog);
      return PassEnd::Finished;
    }
  }

  if (!WritePart(dialog, request.n_filename, NORMAL_PART)) {
    return PassEnd::Finished;
  }
  if (WriteSignature(CLOSE_DOWNLOAD) == OUTCOME_SELF_CONFIG_FAILED) {
    ReportNoResponse(dialog);
    return PassEnd::Finished;
  }
  dialog.AppendLogString(126);
  Pause(RESTART_WAIT);
  if (Inquiry() == OUTCOME_NO_COMPLETION) {
    ReportNoResponse(dialog);
    return PassEnd::Finished;
  }

  const std::string revision = InquiryRevision();
  if (revision == KERNEL_MODE_REVISION) {
    const CheckMessage question = KernelModeQuestion();
    if (dialog.ShowMessageBox(question.text, question.caption, BoxButtons::OkCancel) ==
        drvflash::BoxAnswer::Ok) {
      return PassEnd::Rerun;
    }
    dialog.AppendLogText(question.logText);
    return PassEnd::Finished;
  }
  // Only the version that was written counts as success: a drive still on its old firmware
  // has not been updated.
  if (revision != request.firmwareVersion) {
    Report(dialog, VersionMismatchMessage(revision, request.firmwareVersion));
    ShowNewDriveVersion(dialog);
    return PassEnd::Finished;
  }
  for (const unsigned id : {135u, 136u}) {
    dialog.AppendLogString(id);
  }
  dialog.AppendLogText(revision);
  for (const unsigned id : {137u, 138u}) {
    dialog.AppendLogString(id);
  }
  ShowNewDriveVersion(dialog);
  dialog.StepProgress();
  return PassEnd::Finished;
}
