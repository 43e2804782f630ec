// Start-up: the window shown, its drive list and firmware file filled.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "aspi/sim/simulator_setup.h"
#include "child_modes.h"
#include "ui/control_id.h"
#include "ui/program.h"
#include "ui/updater_dlg.h"

namespace drvflash::bench {

void PrintJsonLine(const nlohmann::json& line) {
  std::printf("%s\n", line.dump().c_str());
  std::fflush(stdout);
}

int RunStartupProbe(QApplication& application, SteadyTime processStart) {
  AnsweringPresenter presenter;
  const Installed installed(nullptr, &presenter);
  PrepareApplication(application);
  const SteadyTime setupStart = std::chrono::steady_clock::now();
  const sim::SimulatorSetup setup = sim::InstallSimulatedDrive();
  const double setupMs = MillisecondsBetween(setupStart, std::chrono::steady_clock::now());
  if (!setup.installation) {
    PrintJsonLine({{"error", setup.error}});
    return 1;
  }

  const SteadyTime windowStart = std::chrono::steady_clock::now();
  CUpdaterDlg window;
  window.show();
  const bool exposed = WaitUntilExposed(window);
  const SteadyTime shown = std::chrono::steady_clock::now();

  auto* driveList = FindControl<QComboBox>(window, IDC_DRIVE_LIST);
  auto* fileBox = FindControl<QLineEdit>(window, IDC_FIRMWARE_FILE);
  PrintJsonLine({{"event", "shown"},
                 {"exposed", exposed},
                 {"process_ms", MillisecondsBetween(processStart, shown)},
                 {"window_ms", MillisecondsBetween(windowStart, shown)},
                 {"simulator_setup_ms", setupMs},
                 {"drive_entries", driveList->count()},
                 {"first_entry", driveList->itemText(0).toStdString()},
                 {"firmware_file", fileBox->text().toStdString()},
                 {"boxes", presenter.texts}});

  // The same scan again, alone: what the window's start-up spent on it.
  const SteadyTime scanStart = std::chrono::steady_clock::now();
  window.ScanDrives();
  const double scanMs = MillisecondsBetween(scanStart, std::chrono::steady_clock::now());
  PrintJsonLine({{"event", "scan"}, {"scan_ms", scanMs}, {"drive_entries", driveList->count()}});

  window.hide();
  return exposed ? 0 : 1;
}

}  // namespace drvflash::bench
