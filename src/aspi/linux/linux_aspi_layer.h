#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/linux/scsi_sysfs.h"
#include "aspi/linux/sg_executor.h"

namespace drvflash {
class AcceptedRequest;
}

namespace drvflash::linux_sg {

// How long SG_IO lets the kernel wait for one command: generous, since the caller's own wait
// decides when it gives up, and a command the kernel aborts could leave a drive half-written.
inline constexpr std::chrono::milliseconds SG_IO_TIMEOUT{300000};

// The ASPI layer over the Linux SCSI generic interface. Adapters are the SCSI hosts in
// ascending host number; a target is addressed on channel 0 of its host. Hosts and nodes are
// read afresh for every request: a USB drive that restarts comes back under a new host number
// (the last, as it was) and a new node. Each request runs on the layer's own thread, which
// owns its copy of the block and the data.
class LinuxAspiLayer final : public AspiLayer {
 public:
  LinuxAspiLayer(SysfsRoots roots, std::unique_ptr<SgExecutor> executor);
  ~LinuxAspiLayer() override;
  LinuxAspiLayer(const LinuxAspiLayer&) = delete;
  LinuxAspiLayer& operator=(const LinuxAspiLayer&) = delete;

  DWORD GetSupportInfo() override;
  BYTE InquireHostAdapter(SRB_HAInquiry& srb) override;
  BYTE ExecuteScsiCommand(SRB_ExecSCSICmd& srb) override;

  const SysfsRoots& Roots() const { return roots_; }
  SgExecutor& Executor() { return *executor_; }

 private:
  struct Job {
    std::shared_ptr<AcceptedRequest> request;
    DeviceNode node;
  };

  void RunWorker();
  void Run(const Job& job);

  const SysfsRoots roots_;
  const std::unique_ptr<SgExecutor> executor_;

  std::mutex queueMutex_;
  std::condition_variable queueChanged_;
  std::deque<Job> queue_;
  bool stopping_ = false;
  std::thread worker_;
};

// The layer over the machine's real /sys, /dev and SG_IO.
std::unique_ptr<LinuxAspiLayer> CreateLinuxAspiLayer();

}  // namespace drvflash::linux_sg
