#pragma once

#include <cstdint>
#include <string>

class CUpdaterDlg;

// What a worker is asked to do.
inline constexpr std::int32_t REQUEST_UPDATE = 256;
inline constexpr std::int32_t REQUEST_DRIVE_INFO = 257;

// The record handed to a worker. The window thread fills it just before it starts one; the
// worker only reads it, but for what the firmware check keeps for the rest of the update.
struct WorkerRequest {
  std::int32_t requestCode = 0;
  // The main window: owner of every message box and the log pane the worker writes to.
  CUpdaterDlg* dialog = nullptr;
  // Full path of the chosen normal-part firmware file (UTF-8).
  std::string n_filename;
  // The firmwareVersion of the normal part that passed the check (4 characters), so that the
  // update can tell whether the drive runs it after the restart; empty until a check passes.
  std::string firmwareVersion;
};

// The one request record of the process.
extern WorkerRequest toThread;
