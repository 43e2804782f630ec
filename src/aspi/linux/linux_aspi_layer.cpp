#include "aspi/linux/linux_aspi_layer.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <system_error>

#include "aspi/accepted_request.h"
#include "aspi/linux/sg_answer.h"

namespace drvflash::linux_sg {
namespace {

constexpr BYTE MAX_ADAPTERS = 255;
constexpr BYTE INITIATOR_ID = 7;
constexpr BYTE TARGETS_PER_ADAPTER = 8;
constexpr char MANAGER_ID[] = "LINUX SG_IO";

// Starts `body` on a thread that has the asynchronous signals blocked from its first
// instruction, so that no handler interrupts its SG_IO. A fault of the thread's own stays
// deliverable.
std::thread StartWithSignalsBlocked(std::function<void()> body) {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP}) {
    sigdelset(&all, fault);
  }
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  std::thread thread(std::move(body));
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return thread;
}

ScsiAnswer NoDevice() {
  ScsiAnswer answer = ScsiAnswer::HostError(HASTAT_SEL_TO);
  answer.status = SS_NO_DEVICE;
  return answer;
}

}  // namespace

LinuxAspiLayer::LinuxAspiLayer(SysfsRoots roots, std::unique_ptr<SgExecutor> executor)
    : roots_(std::move(roots)), executor_(std::move(executor)) {}

LinuxAspiLayer::~LinuxAspiLayer() {
  {
    std::lock_guard guard(queueMutex_);
    stopping_ = true;
  }
  queueChanged_.notify_all();
  // Threads are only ever started under the lock, and none after stopping_.
  if (watcher_.joinable()) {
    watcher_.join();
  }
  for (auto& [node, worker] : workers_) {
    if (worker->thread.joinable()) {
      worker->thread.join();
    }
  }
}

DWORD LinuxAspiLayer::GetSupportInfo() {
  const auto count = static_cast<BYTE>(Adapters().size());
  return (DWORD{SS_COMP} << 8) | count;
}

BYTE LinuxAspiLayer::InquireHostAdapter(SRB_HAInquiry& srb) {
  const std::vector<AdapterBook::Adapter> adapters = Adapters();
  if (srb.SRB_HaId >= adapters.size()) {
    srb.SRB_Status = SS_INVALID_HA;
    return srb.SRB_Status;
  }
  srb.HA_Count = static_cast<BYTE>(adapters.size());
  srb.HA_SCSI_ID = INITIATOR_ID;
  std::memset(srb.HA_ManagerId, 0, sizeof srb.HA_ManagerId);
  std::memcpy(srb.HA_ManagerId, MANAGER_ID, sizeof MANAGER_ID - 1);
  // At most 15 characters, so the identifier always ends with a NUL.
  const std::string& name = adapters[srb.SRB_HaId].host.procName;
  std::memset(srb.HA_Identifier, 0, sizeof srb.HA_Identifier);
  std::memcpy(srb.HA_Identifier, name.data(), std::min(name.size(), sizeof srb.HA_Identifier - 1));
  std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
  srb.HA_Unique[3] = TARGETS_PER_ADAPTER;
  srb.SRB_Status = SS_COMP;
  return srb.SRB_Status;
}

BYTE LinuxAspiLayer::ExecuteScsiCommand(SRB_ExecSCSICmd& srb) {
  auto request = AcceptedRequest::Accept(srb);
  if (!request) {
    srb.SRB_Status = SS_INVALID_SRB;
    return srb.SRB_Status;
  }
  const std::vector<AdapterBook::Adapter> adapters = Adapters();
  const SRB_ExecSCSICmd& block = request->Block();
  if (block.SRB_HaId >= adapters.size()) {
    ScsiAnswer answer = ScsiAnswer::HostError(HASTAT_SEL_TO);
    answer.status = SS_INVALID_HA;
    request->Deliver(answer);
    return answer.status;
  }
  std::optional<DeviceNode> node = NodeOf(adapters, block);
  if (node) {
    return Enqueue(std::move(request), std::move(*node));
  }
  const DeviceKey key{block.SRB_HaId, block.SRB_Target, block.SRB_Lun};
  {
    std::lock_guard guard(queueMutex_);
    if (seen_.contains(key) && !stopping_ && StartThread(watcher_, [this] { RunWatcher(); })) {
      returning_.push_back(std::move(request));
      queueChanged_.notify_all();
      return SS_PENDING;
    }
  }
  const ScsiAnswer answer = NoDevice();
  request->Deliver(answer);
  return answer.status;
}

std::vector<AdapterBook::Adapter> LinuxAspiLayer::Adapters() {
  return adapterBook_.Refresh(ListScsiHosts(roots_), MAX_ADAPTERS);
}

std::optional<DeviceNode> LinuxAspiLayer::NodeOf(const std::vector<AdapterBook::Adapter>& adapters,
                                                 const SRB_ExecSCSICmd& block) {
  if (block.SRB_HaId >= adapters.size() || !adapters[block.SRB_HaId].present) {
    return std::nullopt;
  }
  const ScsiAddress address{adapters[block.SRB_HaId].host.number, 0, block.SRB_Target,
                            block.SRB_Lun};
  return ResolveDeviceNode(roots_, address);
}

bool LinuxAspiLayer::StartThread(std::thread& thread, std::function<void()> body) {
  if (thread.joinable()) {
    return true;
  }
  try {
    thread = StartWithSignalsBlocked(std::move(body));
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

BYTE LinuxAspiLayer::Enqueue(std::shared_ptr<AcceptedRequest> request, DeviceNode node) {
  {
    std::lock_guard guard(queueMutex_);
    const SRB_ExecSCSICmd& block = request->Block();
    seen_.insert({block.SRB_HaId, block.SRB_Target, block.SRB_Lun});
    std::unique_ptr<NodeWorker>& worker = workers_[node.path];
    if (!worker) {
      worker = std::make_unique<NodeWorker>();
    }
    NodeWorker& runs = *worker;
    if (stopping_ || !StartThread(runs.thread, [this, &runs] { RunWorker(runs); })) {
      const ScsiAnswer answer = ScsiAnswer::HostError(HASTAT_BUS_FREE);
      request->Deliver(answer);
      return answer.status;
    }
    runs.queue.push_back({std::move(request), std::move(node)});
  }
  queueChanged_.notify_all();
  return SS_PENDING;
}

void LinuxAspiLayer::RunWatcher() {
  std::unique_lock lock(queueMutex_);
  while (!stopping_) {
    if (returning_.empty()) {
      queueChanged_.wait(lock, [this] { return stopping_ || !returning_.empty(); });
    } else {
      queueChanged_.wait_for(lock, RETURN_POLL, [this] { return stopping_; });
    }
    if (stopping_) {
      break;
    }
    std::vector<std::shared_ptr<AcceptedRequest>> waiting(returning_.begin(), returning_.end());
    returning_.clear();
    lock.unlock();
    const std::vector<AdapterBook::Adapter> adapters = Adapters();
    std::vector<std::shared_ptr<AcceptedRequest>> stillWaiting;
    for (std::shared_ptr<AcceptedRequest>& request : waiting) {
      if (!request->StillAwaited()) {
        request->Abandon();
      } else if (std::optional<DeviceNode> node = NodeOf(adapters, request->Block())) {
        Enqueue(std::move(request), std::move(*node));
      } else {
        stillWaiting.push_back(std::move(request));
      }
    }
    lock.lock();
    returning_.insert(returning_.begin(), stillWaiting.begin(), stillWaiting.end());
  }
  for (std::shared_ptr<AcceptedRequest>& request : returning_) {
    request->Abandon();
  }
  returning_.clear();
}

void LinuxAspiLayer::RunWorker(NodeWorker& worker) {
  std::unique_lock lock(queueMutex_);
  for (;;) {
    queueChanged_.wait(lock, [&] { return stopping_ || !worker.queue.empty(); });
    if (stopping_) {
      break;
    }
    const Job job = std::move(worker.queue.front());
    worker.queue.pop_front();
    lock.unlock();
    // Queued behind a command that took long: its requester may have given up meanwhile, and
    // a WRITE BUFFER sent now would reach the drive after the update was reported as failed.
    if (job.request->StillAwaited()) {
      Run(job);
    } else {
      job.request->Abandon();
    }
    lock.lock();
  }
  for (Job& job : worker.queue) {
    job.request->Abandon();
  }
  worker.queue.clear();
}

void LinuxAspiLayer::Run(const Job& job) {
  const AcceptedRequest& request = *job.request;
  const SRB_ExecSCSICmd& block = request.Block();
  // The data travels in the thread's own buffer: the requester may stop waiting and reuse its
  // buffer at any moment.
  std::vector<BYTE> data;
  SgDirection direction = SgDirection::None;
  if (request.IsDataOut() && block.SRB_BufLen > 0) {
    data.assign(request.DataOut().begin(), request.DataOut().end());
    direction = SgDirection::ToDevice;
  } else if (request.IsDataIn() && block.SRB_BufLen > 0) {
    data.assign(block.SRB_BufLen, 0);
    direction = SgDirection::FromDevice;
  }
  const SgCommand command{job.node.path, request.Cdb(), direction, data, SG_IO_TIMEOUT};
  const SgResult result = executor_->Execute(command);
  const std::span<const BYTE> dataIn =
      direction == SgDirection::FromDevice ? std::span<const BYTE>(data) : std::span<const BYTE>();
  job.request->Deliver(AnswerFor(result, direction, dataIn));
}

std::unique_ptr<LinuxAspiLayer> CreateLinuxAspiLayer() {
  return std::make_unique<LinuxAspiLayer>(SysfsRoots{}, MakeSgIoExecutor());
}

}  // namespace drvflash::linux_sg
