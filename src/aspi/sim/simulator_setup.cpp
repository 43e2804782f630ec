#include "aspi/sim/simulator_setup.h"

#include <cstdlib>
#include <filesystem>

#include "aspi/sim/demo_scenario.h"
#include "aspi/sim/scenario.h"

namespace drvflash::sim {

SimulatorInstallation::SimulatorInstallation(std::unique_ptr<SimulatedAspiLayer> drive,
                                             std::unique_ptr<TraceLayer> trace)
    : drive_(std::move(drive)), trace_(std::move(trace)) {
  SetActiveAspiLayer(trace_ ? static_cast<AspiLayer*>(trace_.get()) : drive_.get());
}

SimulatorInstallation::~SimulatorInstallation() {
  SetActiveAspiLayer(nullptr);
}

SimulatorSetup InstallSimulatedDrive() {
  SimulatorSetup setup;
  const char* file = std::getenv(SCENARIO_VARIABLE);
  const ScenarioLoad load =
      file != nullptr && *file != '\0'
          ? LoadScenarioFile(file)
          : ParseScenario(DEMO_SCENARIO, "the built-in demo scenario", std::filesystem::path{});
  if (!load.scenario) {
    setup.error = load.error;
    return setup;
  }
  auto drive = SimulatedAspiLayer::Create(*load.scenario, setup.error);
  if (!drive) {
    return setup;
  }
  auto trace = TraceLayerFromEnvironment(*drive, setup.warning);
  setup.installation = std::make_unique<SimulatorInstallation>(std::move(drive), std::move(trace));
  return setup;
}

}  // namespace drvflash::sim
