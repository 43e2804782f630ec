#pragma once

#include <memory>
#include <optional>
#include <string>

#include "aspi/aspi_layer.h"
#include "aspi/sim/scenario.h"

namespace drvflash::sim {

class Qtx517Drive;

// The ASPI layer of the simulated setup: the scenario's adapters, a QTX-517 or another device
// on each listed target, the scenario's faults. Answers at once what the device answers at once;
// a restarting drive, a delay fault or a lost request answer later on the active clock, or never.
// Safe to call from any thread; answers may come on the clock's timer thread.
class SimulatedAspiLayer final : public AspiLayer {
 public:
  // Null, with `error` naming the file and the fault, when a drive's state file is unreadable.
  static std::unique_ptr<SimulatedAspiLayer> Create(const Scenario& scenario, std::string& error);
  ~SimulatedAspiLayer() override;

  DWORD GetSupportInfo() override;
  BYTE InquireHostAdapter(SRB_HAInquiry& srb) override;
  BYTE ExecuteScsiCommand(SRB_ExecSCSICmd& srb) override;

  // A snapshot of the drive on a target; none if that target holds no QTX-517.
  struct DriveView {
    std::string revision;
    bool kernelMode = false;
    bool downloadMode = false;
    bool kernelMarker = false;
  };
  std::optional<DriveView> ViewDrive(std::uint8_t ha, std::uint8_t target) const;

 private:
  struct Core;
  explicit SimulatedAspiLayer(std::shared_ptr<Core> core);
  std::shared_ptr<Core> core_;
};

}  // namespace drvflash::sim
