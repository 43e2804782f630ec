#include "guest_machine.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace drvflash::qemu_guest {

namespace {
bool Mount(const char* type, const char* target) {
  ::mkdir(target, 0755);
  if (::mount(type, target, type, 0, nullptr) != 0 && errno != EBUSY) {
    std::fprintf(stderr, "guest: mount %s: %s\n", target, std::strerror(errno));
    return false;
  }
  return true;
}
}  // namespace

bool MountFilesystems() {
  const bool mounted =
      Mount("proc", "/proc") && Mount("sysfs", "/sys") && Mount("devtmpfs", "/dev");
  const int console = ::open("/dev/console", O_RDWR);
  if (console >= 0) {
    ::dup2(console, 0);
    ::dup2(console, 1);
    ::dup2(console, 2);
    if (console > 2) {
      ::close(console);
    }
  }
  return mounted && console >= 0;
}

bool LoadModules(const std::string& listFile) {
  std::ifstream list(listFile);
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty()) {
      continue;
    }
    const std::size_t space = line.find(' ');
    const std::string path = line.substr(0, space);
    const std::string parameters = space == std::string::npos ? "" : line.substr(space + 1);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "guest: open %s: %s\n", path.c_str(), std::strerror(errno));
      return false;
    }
    const long loaded = ::syscall(SYS_finit_module, fd, parameters.c_str(), 0);
    const int error = errno;
    ::close(fd);
    if (loaded != 0 && error != EEXIST) {
      std::fprintf(stderr, "guest: load %s: %s\n", path.c_str(), std::strerror(error));
      return false;
    }
  }
  return true;
}

bool ScanTargets(const std::string& targets) {
  std::istringstream items(targets);
  std::string item;
  while (std::getline(items, item, ',')) {
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) {
      return false;
    }
    const std::string scan = "/sys/class/scsi_host/host" + item.substr(0, colon) + "/scan";
    std::ofstream out(scan);
    out << "0 " << item.substr(colon + 1) << " 0" << std::flush;
    if (!out) {
      std::fprintf(stderr, "guest: cannot scan %s\n", item.c_str());
      return false;
    }
  }
  return true;
}

void PowerOff() {
  std::fflush(nullptr);
  ::sync();
  ::reboot(RB_POWER_OFF);
  ::reboot(RB_AUTOBOOT);  // the machine runs with -no-reboot: a reboot ends it too
}

}  // namespace drvflash::qemu_guest
