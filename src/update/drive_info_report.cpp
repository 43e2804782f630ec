#include "update/drive_info_report.h"

#include <cstring>
#include <string>

#include "drive/command_set.h"
#include "drive/drive_id_block.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "firmware/firmware_check_messages.h"
#include "messages/resource_language.h"
#include "ui/updater_dlg.h"

namespace {

constexpr unsigned kNotFoundString = 108;
constexpr std::string_view kCaption = "information";

// A fixed-width text field of g_readBuffer, ended at its end or at a 0 byte before it.
std::string BufferText(std::size_t offset, std::size_t width) {
  g_readBuffer[offset + width] = 0;
  const char* text = reinterpret_cast<const char*>(g_readBuffer + offset);
  return std::string(text, ::strnlen(text, width));
}

}  // namespace

bool IsDriveEntry(std::string_view entry) {
  return entry.starts_with("HA=");
}

void RunDriveInfoReport(WorkerRequest& request) {
  CUpdaterDlg& dialog = *request.dialog;
  // The drive address of the not-found entry names no drive the scan found.
  if (!IsDriveEntry(dialog.SelectedDriveEntry())) {
    dialog.ShowMessageBox(LoadResourceString(kNotFoundString), kCaption, drvflash::BoxButtons::Ok);
    return;
  }
  // What the buffer held before is not this drive's identification: say it was not read.
  if (ReadDriveIdBlock() != OUTCOME_OK) {
    dialog.ShowMessageBox(DriveIdReadFailureMessage(FormatSenseText()).text, kCaption,
                          drvflash::BoxButtons::Ok);
    return;
  }
  const std::string serialNumber = BufferText(offsetof(DriveIdBlock, serialNumber), 16);
  const std::string vendorId = BufferText(offsetof(DriveIdBlock, vendorId), 8);
  dialog.ShowMessageBox(vendorId + "\r\nserial number : " + serialNumber, kCaption,
                        drvflash::BoxButtons::Ok);
}
