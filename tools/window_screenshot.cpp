// Saves a picture of the main window, as it opens on the simulated drive with sample firmware
// in the current folder, for the README:  window_screenshot en|ja OUTPUT.png
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "aspi/sim/simulator_setup.h"
#include "messages/resource_language.h"
#include "ui/program.h"
#include "ui/updater_dlg.h"

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "en") != 0 && std::strcmp(argv[1], "ja") != 0)) {
    std::fprintf(stderr, "usage: window_screenshot en|ja OUTPUT.png\n");
    return 2;
  }
  QApplication application(argc, argv);
  SetResourceLanguage(std::strcmp(argv[1], "ja") == 0 ? Language::Japanese : Language::English);
  drvflash::PrepareApplication(application);
  const drvflash::sim::SimulatorSetup setup = drvflash::sim::InstallSimulatedDrive();
  if (!setup.installation) {
    std::fprintf(stderr, "window_screenshot: %s\n", setup.error.c_str());
    return 1;
  }
  CUpdaterDlg window;
  window.show();
  bool saved = false;
  QTimer::singleShot(500, [&] {
    saved = window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG");
    window.hide();
    QApplication::quit();
  });
  QApplication::exec();
  return saved ? 0 : 1;
}
