#include "aspi/linux/scsi_sysfs.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>
#include <tuple>

namespace drvflash::linux_sg {
namespace fs = std::filesystem;

namespace {

std::string ReadFirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
    line.pop_back();
  }
  return line;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  if (text.empty()) {
    return false;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} && end == text.data() + text.size();
}

// Entries of a sysfs class folder; none when the class does not exist.
std::vector<fs::path> ClassEntries(const SysfsRoots& roots, const char* className) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(roots.sys / "class" / className, error), end; !error && it != end;
       it.increment(error)) {
    entries.push_back(it->path());
  }
  return entries;
}

// The device folder an sg class entry belongs to, named "H:C:T:L".
std::optional<ScsiAddress> AddressOfGenericNode(const fs::path& classEntry) {
  std::error_code error;
  const fs::path device = fs::canonical(classEntry / "device", error);
  if (error) {
    return std::nullopt;
  }
  return ParseScsiAddress(device.filename().string());
}

}  // namespace

std::optional<ScsiAddress> ParseScsiAddress(const std::string& text) {
  std::string_view rest = text;
  std::string_view parts[4];
  for (int i = 0; i < 3; ++i) {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) {
      return std::nullopt;
    }
    parts[i] = rest.substr(0, colon);
    rest.remove_prefix(colon + 1);
  }
  parts[3] = rest;
  ScsiAddress address;
  if (!ParseNumber(parts[0], address.host) || !ParseNumber(parts[1], address.channel) ||
      !ParseNumber(parts[2], address.target) || !ParseNumber(parts[3], address.lun)) {
    return std::nullopt;
  }
  return address;
}

std::vector<ScsiHost> ListScsiHosts(const SysfsRoots& roots) {
  std::vector<ScsiHost> hosts;
  for (const fs::path& entry : ClassEntries(roots, "scsi_host")) {
    const std::string name = entry.filename().string();
    ScsiHost host;
    if (!name.starts_with("host") || !ParseNumber(std::string_view(name).substr(4), host.number)) {
      continue;
    }
    host.procName = ReadFirstLine(entry / "proc_name");
    std::error_code error;
    const fs::path device = fs::canonical(entry / "device", error);
    if (!error) {
      host.attachment = device.parent_path();
    }
    hosts.push_back(std::move(host));
  }
  std::ranges::sort(hosts, {}, &ScsiHost::number);
  return hosts;
}

std::vector<ScsiDevice> ListScsiDevices(const SysfsRoots& roots) {
  std::vector<ScsiDevice> devices;
  for (const fs::path& entry : ClassEntries(roots, "scsi_device")) {
    const auto address = ParseScsiAddress(entry.filename().string());
    if (!address) {
      continue;
    }
    ScsiDevice device{*address, -1};
    if (!ParseNumber(ReadFirstLine(entry / "device" / "type"), device.type)) {
      device.type = -1;
    }
    devices.push_back(device);
  }
  std::ranges::sort(devices, [](const ScsiDevice& a, const ScsiDevice& b) {
    const ScsiAddress& x = a.address;
    const ScsiAddress& y = b.address;
    return std::tie(x.host, x.channel, x.target, x.lun) <
           std::tie(y.host, y.channel, y.target, y.lun);
  });
  return devices;
}

std::optional<DeviceNode> ResolveDeviceNode(const SysfsRoots& roots, const ScsiAddress& address) {
  for (const fs::path& entry : ClassEntries(roots, "scsi_generic")) {
    if (AddressOfGenericNode(entry) == address) {
      return DeviceNode{roots.dev / entry.filename(), true};
    }
  }
  const std::string name = std::to_string(address.host) + ":" + std::to_string(address.channel) +
                           ":" + std::to_string(address.target) + ":" + std::to_string(address.lun);
  std::error_code error;
  fs::directory_iterator blocks(roots.sys / "class" / "scsi_device" / name / "device" / "block",
                                error);
  if (!error && blocks != fs::directory_iterator()) {
    return DeviceNode{roots.dev / blocks->path().filename(), false};
  }
  return std::nullopt;
}

bool GenericDriverPresent(const SysfsRoots& roots) {
  std::error_code error;
  return fs::is_directory(roots.sys / "class" / "scsi_generic", error);
}

}  // namespace drvflash::linux_sg
