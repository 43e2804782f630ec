#include "aspi/sim/simulated_aspi_layer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "aspi/accepted_request.h"
#include "aspi/sim/drive_state_file.h"
#include "aspi/sim/fault_book.h"
#include "aspi/sim/other_device.h"
#include "aspi/sim/qtx517_drive.h"
#include "platform/clock.h"

namespace drvflash::sim {
namespace {

constexpr BYTE kAdapterScsiId = 7;
constexpr BYTE kMaxTargets = 16;
constexpr char kManagerId[] = "DRVFLASH SIM";
// What the adapter reports when a fault says it failed.
constexpr BYTE kFaultHostStatus = HASTAT_PHASE_ERR;

DeviceRequest ToDeviceRequest(const AcceptedRequest& request) {
  DeviceRequest device;
  device.lun = request.Block().SRB_Lun;
  device.cdb = request.Cdb();
  device.dataIn = request.IsDataIn();
  device.dataOut = request.IsDataOut();
  device.transferLength = request.Block().SRB_BufLen;
  device.data = request.DataOut();
  return device;
}

ScsiAnswer FaultAnswer(const FaultResult& fault) {
  switch (fault.kind) {
    case FaultResult::Kind::Sense:
      return ScsiAnswer::CheckCondition(fault.senseKeyByte, fault.asc, fault.ascq);
    case FaultResult::Kind::Busy:
      return ScsiAnswer::TargetStatus(STATUS_BUSY);
    case FaultResult::Kind::HostError:
      return ScsiAnswer::HostError(kFaultHostStatus);
    default:
      return ScsiAnswer::Good();
  }
}

// Faults that stand in for the drive's answer without reaching it.
bool ReplacesDrive(const std::optional<FaultResult>& fault) {
  return fault &&
         (fault->kind == FaultResult::Kind::Sense || fault->kind == FaultResult::Kind::Busy ||
          fault->kind == FaultResult::Kind::Drop);
}

}  // namespace

// Everything the layer knows, shared with the actions it schedules so that an answer due after
// the layer is gone still finds it.
struct SimulatedAspiLayer::Core : std::enable_shared_from_this<Core> {
  struct Waiting {
    std::shared_ptr<AcceptedRequest> request;
    std::optional<FaultResult> fault;
  };
  struct Target {
    std::unique_ptr<SimulatedDevice> device;
    Qtx517Drive* drive = nullptr;  // the same device when it is a QTX-517
    std::deque<Waiting> waiting;   // requests that reached it while it restarts
    bool wakeScheduled = false;
  };
  struct Adapter {
    std::string identifier;
    std::map<std::uint8_t, Target> targets;
  };
  // What to do once the lock is released: answers, and actions for the clock.
  struct Effects {
    std::vector<std::pair<std::shared_ptr<AcceptedRequest>, ScsiAnswer>> answers;
    std::vector<std::pair<Milliseconds, std::function<void()>>> scheduled;
  };

  explicit Core(const Scenario& scenario) : usable(scenario.usable), faults(scenario.faults) {}

  void Answer(std::shared_ptr<AcceptedRequest> request, ScsiAnswer answer, Effects& effects) {
    effects.answers.emplace_back(std::move(request), std::move(answer));
  }

  // Lets the device take its waiting requests in order, as long as it is up.
  void Serve(std::uint8_t ha, std::uint8_t targetId, Target& target, Effects& effects) {
    const Milliseconds now = ActiveClock().Now();
    while (!target.waiting.empty()) {
      const Milliseconds backAt = target.device->BackAt();
      if (now < backAt) {
        if (!target.wakeScheduled) {
          target.wakeScheduled = true;
          effects.scheduled.emplace_back(backAt - now, [core = shared_from_this(), ha, targetId] {
            core->Wake(ha, targetId);
          });
        }
        return;
      }
      Waiting next = std::move(target.waiting.front());
      target.waiting.pop_front();
      if (ReplacesDrive(next.fault)) {
        Answer(std::move(next.request), FaultAnswer(*next.fault), effects);
        continue;
      }
      ScsiAnswer answer = target.device->Execute(ToDeviceRequest(*next.request), now);
      if (next.fault && next.fault->kind == FaultResult::Kind::Delay) {
        effects.scheduled.emplace_back(
            next.fault->delay, [request = std::move(next.request), answer = std::move(answer)] {
              request->Deliver(answer);
            });
      } else {
        Answer(std::move(next.request), std::move(answer), effects);
      }
    }
  }

  void Wake(std::uint8_t ha, std::uint8_t targetId) {
    Effects effects;
    {
      std::lock_guard guard(mutex);
      Target& target = adapters[ha].targets.at(targetId);
      target.wakeScheduled = false;
      Serve(ha, targetId, target, effects);
    }
    Run(effects);
  }

  static void Run(Effects& effects) {
    for (auto& [delay, action] : effects.scheduled) {
      ActiveClock().Schedule(delay, std::move(action));
    }
    for (auto& [request, answer] : effects.answers) {
      request->Deliver(answer);
    }
  }

  mutable std::mutex mutex;
  const bool usable;
  std::vector<Adapter> adapters;
  FaultBook faults;
};

std::unique_ptr<SimulatedAspiLayer> SimulatedAspiLayer::Create(const Scenario& scenario,
                                                               std::string& error) {
  auto core = std::make_shared<Core>(scenario);
  for (const AdapterSpec& adapterSpec : scenario.adapters) {
    Core::Adapter& adapter = core->adapters.emplace_back();
    adapter.identifier = adapterSpec.identifier;
    for (const auto& [id, setup] : adapterSpec.targets) {
      Core::Target& target = adapter.targets[id];
      if (setup.kind == TargetSpec::Kind::Other) {
        target.device = std::make_unique<OtherDevice>(setup.inquiry);
        continue;
      }
      std::optional<DriveState> restored;
      if (setup.stateFile) {
        DriveStateLoad load = LoadDriveState(*setup.stateFile);
        if (!load.error.empty()) {
          error = load.error;
          return nullptr;
        }
        restored = load.state;
      }
      auto drive = std::make_unique<Qtx517Drive>(setup, restored);
      target.drive = drive.get();
      target.device = std::move(drive);
    }
  }
  return std::unique_ptr<SimulatedAspiLayer>(new SimulatedAspiLayer(std::move(core)));
}

SimulatedAspiLayer::SimulatedAspiLayer(std::shared_ptr<Core> core) : core_(std::move(core)) {}
SimulatedAspiLayer::~SimulatedAspiLayer() = default;

DWORD SimulatedAspiLayer::GetSupportInfo() {
  std::lock_guard guard(core_->mutex);
  if (!core_->usable) {
    return DWORD{SS_FAILED_INIT} << 8;
  }
  return (DWORD{SS_COMP} << 8) | static_cast<BYTE>(core_->adapters.size());
}

BYTE SimulatedAspiLayer::InquireHostAdapter(SRB_HAInquiry& srb) {
  std::lock_guard guard(core_->mutex);
  if (!core_->usable) {
    return srb.SRB_Status = SS_FAILED_INIT;
  }
  if (srb.SRB_HaId >= core_->adapters.size()) {
    return srb.SRB_Status = SS_INVALID_HA;
  }
  const std::string& identifier = core_->adapters[srb.SRB_HaId].identifier;
  srb.HA_Count = static_cast<BYTE>(core_->adapters.size());
  srb.HA_SCSI_ID = kAdapterScsiId;
  std::memset(srb.HA_ManagerId, 0, sizeof srb.HA_ManagerId);
  std::memcpy(srb.HA_ManagerId, kManagerId, sizeof kManagerId - 1);
  // An identifier of all 16 characters leaves no room for a terminator.
  std::memset(srb.HA_Identifier, 0, sizeof srb.HA_Identifier);
  std::memcpy(srb.HA_Identifier, identifier.data(),
              std::min(identifier.size(), sizeof srb.HA_Identifier));
  std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
  srb.HA_Unique[3] = kMaxTargets;
  return srb.SRB_Status = SS_COMP;
}

BYTE SimulatedAspiLayer::ExecuteScsiCommand(SRB_ExecSCSICmd& srb) {
  {
    std::lock_guard guard(core_->mutex);
    if (!core_->usable) {
      return srb.SRB_Status = SS_FAILED_INIT;
    }
  }
  auto request = AcceptedRequest::Accept(srb);
  if (!request) {
    return srb.SRB_Status = SS_INVALID_SRB;
  }
  const SRB_ExecSCSICmd& block = request->Block();
  Core::Effects effects;
  bool lost = false;
  {
    std::lock_guard guard(core_->mutex);
    if (block.SRB_HaId >= core_->adapters.size()) {
      ScsiAnswer noAdapter;
      noAdapter.status = SS_INVALID_HA;
      core_->Answer(request, noAdapter, effects);
    } else if (auto& targets = core_->adapters[block.SRB_HaId].targets;
               !targets.contains(block.SRB_Target)) {
      core_->Answer(request, ScsiAnswer::HostError(HASTAT_SEL_TO), effects);
    } else {
      Core::Target& target = targets.at(block.SRB_Target);
      const auto fault = core_->faults.Match(block.SRB_HaId, block.SRB_Target, request->Cdb());
      if (fault && fault->kind == FaultResult::Kind::NoCompletion) {
        lost = true;
      } else if (fault && fault->kind == FaultResult::Kind::HostError) {
        // The adapter's own failure: it does not wait for a restarting drive.
        core_->Answer(request, FaultAnswer(*fault), effects);
      } else {
        target.waiting.push_back({request, fault});
        core_->Serve(block.SRB_HaId, block.SRB_Target, target, effects);
      }
    }
  }
  if (lost) {
    request->Abandon();
    return SS_PENDING;
  }
  BYTE status = SS_PENDING;
  for (const auto& [answered, answer] : effects.answers) {
    if (answered == request) {
      status = answer.status;
    }
  }
  Core::Run(effects);
  return status;
}

std::optional<SimulatedAspiLayer::DriveView> SimulatedAspiLayer::ViewDrive(
    std::uint8_t ha, std::uint8_t target) const {
  std::lock_guard guard(core_->mutex);
  if (ha >= core_->adapters.size()) {
    return std::nullopt;
  }
  const auto& targets = core_->adapters[ha].targets;
  const auto found = targets.find(target);
  if (found == targets.end() || found->second.drive == nullptr) {
    return std::nullopt;
  }
  const Qtx517Drive& drive = *found->second.drive;
  return DriveView{drive.Revision(), drive.InKernelMode(), drive.InDownloadMode(),
                   drive.KernelMarker()};
}

}  // namespace drvflash::sim
