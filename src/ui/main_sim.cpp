// drvflash-sim: the program over the simulated QTX-517 (DRVFLASH_SIM_SCENARIO, DRVFLASH_TRACE).
#include <QApplication>

#include "aspi/sim/simulator_setup.h"
#include "ui/program.h"
#include "ui/startup_notes.h"
#include "ui/updater_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  drvflash::PrepareApplication(application);

  const drvflash::sim::SimulatorSetup setup = drvflash::sim::InstallSimulatedDrive();
  if (!setup.installation) {
    return drvflash::RefuseToStart("The simulated drive cannot start: " + setup.error,
                                   "シミュレーションドライブを開始できません：" + setup.error);
  }
  if (!setup.warning.empty()) {
    drvflash::SetStartupNotes({{"\r\n" + setup.warning, "\r\n" + setup.warning}});
  }
  theApp.InitInstance();
  return 0;
}
