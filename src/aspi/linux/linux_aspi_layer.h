#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <tuple>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/linux/adapter_book.h"
#include "aspi/linux/scsi_sysfs.h"
#include "aspi/linux/sg_executor.h"

namespace drvflash {
class AcceptedRequest;
}

namespace drvflash::linux_sg {

// How long SG_IO lets the kernel wait for one command: generous, since the caller's own wait
// decides when it gives up, and a command the kernel aborts could leave a drive half-written.
inline constexpr std::chrono::milliseconds SG_IO_TIMEOUT{300000};
// How often sysfs is read again for a device that is gone while a request waits for it.
inline constexpr std::chrono::milliseconds RETURN_POLL{50};

// The ASPI layer over the Linux SCSI generic interface. Adapters are the SCSI hosts, numbered
// as AdapterBook says: in ascending host number at first, and each adapter number kept by its
// host for the life of the layer. A target is addressed on channel 0 of its host. Hosts and
// nodes are read afresh for every request: a drive that restarts may come back under a new
// node, and a USB drive under a new host number where it was attached. Each request runs on a
// thread of the layer, one per device node, which owns its copy of the block and the data: a device
// that does not answer holds up only the requests to itself, and a request whose requester stopped
// waiting before its turn came is never sent. A device that the layer has reached before and
// that is gone, as a drive is while it restarts, is waited for as long as its requester waits.
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

  struct NodeWorker {
    std::deque<Job> queue;
    std::thread thread;
  };

  // Adapter, target and LUN as the requester names them.
  using DeviceKey = std::tuple<BYTE, BYTE, BYTE>;

  std::vector<AdapterBook::Adapter> Adapters();
  std::optional<DeviceNode> NodeOf(const std::vector<AdapterBook::Adapter>& adapters,
                                   const SRB_ExecSCSICmd& block);
  // Starts `thread` unless it runs already; false when no thread can be made. Under the lock.
  static bool StartThread(std::thread& thread, std::function<void()> body);
  // Hands the request to the thread of its node, or ends it when no thread can be made.
  BYTE Enqueue(std::shared_ptr<AcceptedRequest> request, DeviceNode node);
  // Looks again and again for the devices that requests in returning_ wait for.
  void RunWatcher();
  void RunWorker(NodeWorker& worker);
  void Run(const Job& job);

  const SysfsRoots roots_;
  const std::unique_ptr<SgExecutor> executor_;
  AdapterBook adapterBook_;

  std::mutex queueMutex_;
  std::condition_variable queueChanged_;
  std::map<std::filesystem::path, std::unique_ptr<NodeWorker>> workers_;
  std::set<DeviceKey> seen_;  // devices reached before
  std::deque<std::shared_ptr<AcceptedRequest>> returning_;
  std::thread watcher_;
  bool stopping_ = false;
};

// The layer over the machine's real /sys, /dev and SG_IO.
std::unique_ptr<LinuxAspiLayer> CreateLinuxAspiLayer();

}  // namespace drvflash::linux_sg
