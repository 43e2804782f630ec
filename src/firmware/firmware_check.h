#pragma once

#include <string_view>

class CUpdaterDlg;
struct WorkerRequest;

// Results of CheckFirmwareFile.
inline constexpr int CHECK_STOPPED = 0;  // a check failed; the user has been told why
inline constexpr int CHECK_PASSED = 1;
// Passed, but the drive's variant field is blank, so the file's variant was not compared.
inline constexpr int CHECK_PASSED_VARIANT_BLANK = 255;

// 1 when the update must write the kernel-part file before the normal part; set by
// CheckFirmwareFile, read by the update after it.
extern int g_kernelUpdate;

// Whether the firmware file request.n_filename (and its kernel-part file, when the drive needs
// it) may be written to the selected drive. Reads the drive's identification and, for an OEM
// edition, its revision and kernel marker; writes nothing to the drive. Every refusal is shown
// in a box owned by request.dialog and, but for a file that cannot be opened, in the log.
// Keeps the normal part's firmwareVersion in the request when the file passes.
int CheckFirmwareFile(WorkerRequest& request);

// The box saying that the firmware file at `path` cannot be opened; no log entry.
void ShowFileOpenError(CUpdaterDlg& dialog, std::string_view path);
