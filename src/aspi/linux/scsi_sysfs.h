#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace drvflash::linux_sg {

// Where the kernel shows its SCSI devices. Tests point both roots into a temporary tree.
struct SysfsRoots {
  std::filesystem::path sys = "/sys";
  std::filesystem::path dev = "/dev";
};

struct ScsiHost {
  unsigned number = 0;   // the N of hostN
  std::string procName;  // the driver's name for the host, e.g. "ahci"
  // Where the host hangs in the device tree (the folder above hostN, e.g. a SATA port or a USB
  // interface); empty where sysfs does not tell.
  std::filesystem::path attachment;
};

// Host, channel, target and LUN: the kernel's address of one SCSI device.
struct ScsiAddress {
  unsigned host = 0;
  unsigned channel = 0;
  unsigned target = 0;
  std::uint64_t lun = 0;
  bool operator==(const ScsiAddress&) const = default;
};

// "H:C:T:L", as sysfs names a device.
std::optional<ScsiAddress> ParseScsiAddress(const std::string& text);

// Every SCSI host, in ascending host number.
std::vector<ScsiHost> ListScsiHosts(const SysfsRoots& roots);

struct ScsiDevice {
  ScsiAddress address;
  int type = -1;  // the peripheral device type; 5 for a CD/DVD drive
};

// Every SCSI device the kernel knows, whichever drivers are loaded.
std::vector<ScsiDevice> ListScsiDevices(const SysfsRoots& roots);

inline constexpr int SCSI_TYPE_ROM = 5;

struct DeviceNode {
  std::filesystem::path path;  // e.g. /dev/sg3
  bool generic = false;        // an sg node; false: the block node of the fallback
};

// The node through which requests reach the device: its sg node, or its block node (/dev/srN)
// where the sg driver is not loaded. Read afresh at every call, since a drive that restarts may
// come back under another node.
std::optional<DeviceNode> ResolveDeviceNode(const SysfsRoots& roots, const ScsiAddress& address);

// Whether the sg driver shows its class at all.
bool GenericDriverPresent(const SysfsRoots& roots);

}  // namespace drvflash::linux_sg
