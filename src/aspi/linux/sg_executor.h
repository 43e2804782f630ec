#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace drvflash::linux_sg {

enum class SgDirection { None, FromDevice, ToDevice };

// One command for one node, as SG_IO takes it.
struct SgCommand {
  std::filesystem::path node;
  std::span<const std::uint8_t> cdb;
  SgDirection direction = SgDirection::None;
  std::span<std::uint8_t> data;  // filled for FromDevice, sent for ToDevice
  std::chrono::milliseconds timeout{0};
};

// What SG_IO reported, or why it could not run.
struct SgResult {
  int osError = 0;          // errno of open() or ioctl(); 0 when the command reached the kernel
  std::uint8_t status = 0;  // SCSI status byte of the target
  std::uint16_t hostStatus = 0;
  std::uint16_t driverStatus = 0;
  std::vector<std::uint8_t> sense;  // as the target wrote it
  int resid = 0;                    // bytes of data not moved
};

// Runs a command on a node. The real one opens the node and calls ioctl(SG_IO); tests inject
// another.
class SgExecutor {
 public:
  virtual ~SgExecutor() = default;
  virtual SgResult Execute(const SgCommand& command) = 0;
  // 0 when the node opens the way Execute opens it, else the errno.
  virtual int TryOpen(const std::filesystem::path& node) = 0;
};

// Nodes open O_RDWR | O_NONBLOCK: without O_NONBLOCK an empty drive's block node refuses to
// open. WRITE BUFFER needs the sg node, or root: on /dev/srN the kernel allows it only to a
// process with CAP_SYS_RAWIO. An SG_IO interrupted by a signal is reported, never sent again.
std::unique_ptr<SgExecutor> MakeSgIoExecutor();

}  // namespace drvflash::linux_sg
