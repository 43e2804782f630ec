#pragma once

#include <memory>
#include <string>

#include "aspi/sim/simulated_aspi_layer.h"
#include "aspi/trace_layer.h"

namespace drvflash::sim {

// The variable that names the scenario file of the simulated drive.
inline constexpr const char* SCENARIO_VARIABLE = "DRVFLASH_SIM_SCENARIO";

// The simulated drive installed as the active ASPI layer, traced when DRVFLASH_TRACE asks for
// it; uninstalled when destroyed.
class SimulatorInstallation {
 public:
  SimulatorInstallation(std::unique_ptr<SimulatedAspiLayer> drive,
                        std::unique_ptr<TraceLayer> trace);
  ~SimulatorInstallation();
  SimulatorInstallation(const SimulatorInstallation&) = delete;
  SimulatorInstallation& operator=(const SimulatorInstallation&) = delete;

  SimulatedAspiLayer& Drive() { return *drive_; }

 private:
  std::unique_ptr<SimulatedAspiLayer> drive_;
  std::unique_ptr<TraceLayer> trace_;
};

struct SimulatorSetup {
  std::unique_ptr<SimulatorInstallation> installation;  // null when refused
  std::string error;    // why it was refused: the scenario or a state file
  std::string warning;  // the trace file could not be opened; the simulator runs untraced
};

// Reads the scenario that DRVFLASH_SIM_SCENARIO names (the built-in demo scenario without it),
// builds the simulated drive and installs it, wrapped in a trace when DRVFLASH_TRACE is set.
SimulatorSetup InstallSimulatedDrive();

}  // namespace drvflash::sim
