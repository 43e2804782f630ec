#include "fake_sysfs.h"

#include <unistd.h>

#include <fstream>
#include <random>

namespace drvflash::testing {
namespace fs = std::filesystem;

namespace {
void WriteFile(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}
}  // namespace

FakeSysfs::FakeSysfs() {
  std::random_device random;
  base_ = fs::temp_directory_path() /
          ("drvflash-sysfs-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
  roots_ = {base_ / "sys", base_ / "dev"};
  fs::create_directories(roots_.sys / "class");
  fs::create_directories(roots_.dev);
}

FakeSysfs::~FakeSysfs() {
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

fs::path FakeSysfs::DeviceFolder(const std::string& address) const {
  return roots_.sys / "devices" / "pci0000:00" / address;
}

void FakeSysfs::AddHost(unsigned number, const std::string& procName,
                        const std::string& attachment) {
  // Made whole aside and moved in at once, as the kernel shows a host: a layer reading sysfs
  // on another thread meanwhile never sees half a host.
  const std::string name = "host" + std::to_string(number);
  const fs::path staged = base_ / "staging" / name;
  WriteFile(staged / "proc_name", procName + "\n");
  if (!attachment.empty()) {
    const fs::path device = roots_.sys / "devices" / "pci0000:00" / attachment / name;
    fs::create_directories(device);
    fs::create_directory_symlink(device, staged / "device");
  }
  fs::create_directories(roots_.sys / "class" / "scsi_host");
  fs::rename(staged, roots_.sys / "class" / "scsi_host" / name);
}

void FakeSysfs::RemoveHost(unsigned number) {
  const fs::path gone = base_ / "staging" / ("gone-host" + std::to_string(number));
  fs::create_directories(gone.parent_path());
  fs::rename(roots_.sys / "class" / "scsi_host" / ("host" + std::to_string(number)), gone);
  fs::remove_all(gone);
}

void FakeSysfs::AddDevice(const std::string& address, int type) {
  WriteFile(DeviceFolder(address) / "type", std::to_string(type) + "\n");
  const fs::path entry = roots_.sys / "class" / "scsi_device" / address;
  fs::create_directories(entry);
  fs::create_directory_symlink(DeviceFolder(address), entry / "device");
}

void FakeSysfs::LoadGenericDriver() {
  fs::create_directories(roots_.sys / "class" / "scsi_generic");
}

void FakeSysfs::AddGenericNode(const std::string& address, const std::string& sgName) {
  LoadGenericDriver();
  const fs::path entry = roots_.sys / "class" / "scsi_generic" / sgName;
  fs::create_directories(entry);
  fs::create_directory_symlink(DeviceFolder(address), entry / "device");
  WriteFile(roots_.dev / sgName, "");
}

void FakeSysfs::AddBlockNode(const std::string& address, const std::string& blockName) {
  fs::create_directories(DeviceFolder(address) / "block" / blockName);
  WriteFile(roots_.dev / blockName, "");
}

void FakeSysfs::RemoveGenericNode(const std::string& sgName) {
  fs::remove_all(roots_.sys / "class" / "scsi_generic" / sgName);
  fs::remove(roots_.dev / sgName);
}

}  // namespace drvflash::testing
