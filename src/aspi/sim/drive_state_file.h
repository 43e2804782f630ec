#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace drvflash::sim {

// What a drive keeps across runs: its firmware revision and whether it runs its kernel.
// Stored as {"revision": "1.30", "mode": "normal"} or {"revision": "0000", "mode": "kernel"}.
struct DriveState {
  std::string revision;  // 4 characters
  bool kernelMode = false;
};

struct DriveStateLoad {
  std::optional<DriveState> state;  // none when the file does not exist yet
  std::string error;                // set when it exists but cannot be read or is malformed
};

DriveStateLoad LoadDriveState(const std::filesystem::path& file);

// Replaces the file whole (written beside it, then renamed), so a crash never leaves half a file.
bool SaveDriveState(const std::filesystem::path& file, const DriveState& state, std::string& error);

}  // namespace drvflash::sim
