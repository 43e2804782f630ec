// The two ways a request starts from the main window: Start and the hidden key.
#include <QKeyEvent>
#include <QLabel>

#include "drive/busy_flag.h"
#include "firmware/firmware_file.h"
#include "messages/built_in_text.h"
#include "messages/resource_language.h"
#include "ui/updater_dlg.h"
#include "ui/window_thread.h"
#include "update/drive_info_report.h"
#include "update/update_messages.h"
#include "update/update_thread.h"
#include "update/worker_request.h"

namespace {

constexpr unsigned kNotFoundString = 108;

}  // namespace

void CUpdaterDlg::OnStart() {
  drvflash::RequireWindowThread("CUpdaterDlg::OnStart");
  if (g_busy.load() != 0) {
    return;
  }
  // Nothing is sent to an address the scan did not list as a QTX-517.
  if (!IsDriveEntry(SelectedDriveEntry())) {
    const std::string notFound = LoadResourceString(kNotFoundString);
    ShowMessageBox(notFound, ConfirmUpdateCaption(), drvflash::BoxButtons::Ok);
    ShowLogLine("\r\n" + notFound);
    return;
  }
  const std::string name = FirmwareFileText();
  if (!FirmwareFile::Open(name)) {
    ShowLogLine("\r\n File open error : " + name);
    return;
  }
  toThread.n_filename = name;

  const std::string driveVersion = m_driveVersion->text().toStdString();
  const std::string fileVersion = m_fileVersion->text().toStdString();
  if (driveVersion == fileVersion) {
    ShowMessageAndLogLine(109, 110, 111, drvflash::BoxButtons::Ok);
    return;
  }
  if (ShowMessageBox(ConfirmUpdateText(driveVersion, fileVersion), ConfirmUpdateCaption(),
                     drvflash::BoxButtons::OkCancel) != drvflash::BoxAnswer::Ok) {
    return;
  }
  toThread.requestCode = REQUEST_UPDATE;
  toThread.dialog = this;
  StartWorker(toThread);
}

void CUpdaterDlg::StartDriveInfoReport() {
  drvflash::RequireWindowThread("CUpdaterDlg::StartDriveInfoReport");
  toThread.requestCode = REQUEST_DRIVE_INFO;
  toThread.dialog = this;
  // A running update keeps its own copy; this one stops at the busy test.
  StartWorker(toThread);
}
