#include "ui/updater_app.h"

#include <memory>

#include "ui/updater_dlg.h"

CUpdaterApp theApp;

bool CUpdaterApp::InitInstance() {
  const auto window = std::make_unique<CUpdaterDlg>();
  window->exec();
  return false;
}
