// drvflash: the program over the machine's real drives (SG_IO), traced when DRVFLASH_TRACE names
// a file.
#include <QApplication>
#include <memory>

#include "aspi/linux/linux_aspi_layer.h"
#include "aspi/linux/setup_diagnostics.h"
#include "aspi/trace_layer.h"
#include "ui/program.h"
#include "ui/startup_notes.h"
#include "ui/updater_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  drvflash::PrepareApplication(application);

  const std::unique_ptr<drvflash::linux_sg::LinuxAspiLayer> drives =
      drvflash::linux_sg::CreateLinuxAspiLayer();
  std::vector<drvflash::StartupNote> notes;
  for (const auto& text : drvflash::linux_sg::SetupProblemTexts(
           drvflash::linux_sg::FindSetupProblems(drives->Roots(), drives->Executor()))) {
    notes.push_back({text.english, text.japanese});
  }

  std::string traceError;
  const std::unique_ptr<drvflash::TraceLayer> trace =
      drvflash::TraceLayerFromEnvironment(*drives, traceError);
  if (!traceError.empty()) {
    notes.push_back({"\r\n" + traceError, "\r\n" + traceError});
  }
  drvflash::SetActiveAspiLayer(trace ? static_cast<drvflash::AspiLayer*>(trace.get())
                                     : static_cast<drvflash::AspiLayer*>(drives.get()));
  drvflash::SetStartupNotes(std::move(notes));

  theApp.InitInstance();
  drvflash::SetActiveAspiLayer(nullptr);
  return 0;
}
