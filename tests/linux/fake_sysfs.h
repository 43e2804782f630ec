#pragma once

#include <filesystem>
#include <string>

#include "aspi/linux/scsi_sysfs.h"

namespace drvflash::testing {

// A sysfs and /dev tree in a temporary folder, laid out as the kernel lays out its SCSI
// hosts, devices, sg nodes and block nodes.
class FakeSysfs {
 public:
  FakeSysfs();
  ~FakeSysfs();
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  const linux_sg::SysfsRoots& Roots() const { return roots_; }

  // A host, hung below `attachment` in the device tree (e.g. "usb1/1-1:1.0") when one is given.
  void AddHost(unsigned number, const std::string& procName, const std::string& attachment = {});
  void RemoveHost(unsigned number);
  // A device "H:0:T:L" of `type` (5: CD/DVD), without nodes.
  void AddDevice(const std::string& address, int type = linux_sg::SCSI_TYPE_ROM);
  // Binds an sg node (e.g. "sg3") or a block node (e.g. "sr0") to the device, and creates
  // the node in /dev.
  void AddGenericNode(const std::string& address, const std::string& sgName);
  void AddBlockNode(const std::string& address, const std::string& blockName);
  // Takes a device's sg node away, as its restart does.
  void RemoveGenericNode(const std::string& sgName);
  // The sg driver's class exists only once it is loaded.
  void LoadGenericDriver();

 private:
  std::filesystem::path DeviceFolder(const std::string& address) const;

  std::filesystem::path base_;
  linux_sg::SysfsRoots roots_;
};

}  // namespace drvflash::testing
