#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>

#include "aspi/linux/sg_executor.h"

namespace drvflash::linux_sg {
namespace {

class SgIoExecutor final : public SgExecutor {
 public:
  SgResult Execute(const SgCommand& command) override {
    SgResult result;
    const int fd = ::open(command.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      result.osError = errno;
      return result;
    }
    std::array<unsigned char, 64> sense{};
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.cmdp = const_cast<unsigned char*>(command.cdb.data());
    header.cmd_len = static_cast<unsigned char>(command.cdb.size());
    header.sbp = sense.data();
    header.mx_sb_len = static_cast<unsigned char>(sense.size());
    header.dxfer_direction = command.direction == SgDirection::FromDevice ? SG_DXFER_FROM_DEV
                             : command.direction == SgDirection::ToDevice ? SG_DXFER_TO_DEV
                                                                          : SG_DXFER_NONE;
    if (command.direction != SgDirection::None) {
      header.dxferp = command.data.data();
      header.dxfer_len = static_cast<unsigned int>(command.data.size());
    }
    const auto timeout = command.timeout.count();
    header.timeout =
        timeout > 0 && timeout < UINT_MAX ? static_cast<unsigned int>(timeout) : UINT_MAX;
    if (::ioctl(fd, SG_IO, &header) < 0) {
      result.osError = errno;
    } else {
      // Older drivers fill only the masked (shifted) form of the status.
      result.status =
          header.status != 0 ? header.status : static_cast<std::uint8_t>(header.masked_status << 1);
      result.hostStatus = header.host_status;
      result.driverStatus = header.driver_status;
      result.sense.assign(sense.begin(),
                          sense.begin() + std::min<std::size_t>(header.sb_len_wr, sense.size()));
      result.resid = header.resid;
    }
    ::close(fd);
    return result;
  }

  int TryOpen(const std::filesystem::path& node) override {
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      return errno;
    }
    ::close(fd);
    return 0;
  }
};

}  // namespace

std::unique_ptr<SgExecutor> MakeSgIoExecutor() {
  return std::make_unique<SgIoExecutor>();
}

}  // namespace drvflash::linux_sg
