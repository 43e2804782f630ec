#include "update/update_thread.h"

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "drive/busy_flag.h"
#include "ui/updater_dlg.h"
#include "update/drive_info_report.h"
#include "update/update_sequence.h"

namespace {

std::atomic<int> g_runningWorkers{0};

}  // namespace

int UpdateThreadProc(WorkerRequest* request) {
  if (g_busy.exchange(1) != 0) {
    return 1;
  }
  CUpdaterDlg& dialog = *request->dialog;
  for (bool again = true; again;) {
    again = false;
    dialog.ClearLog();
    dialog.EnableRequestControls(false);
    switch (request->requestCode) {
      case REQUEST_UPDATE:
        again = RunUpdatePass(*request) == PassEnd::Rerun;
        break;
      case REQUEST_DRIVE_INFO:
        RunDriveInfoReport(*request);
        break;
      default:
        break;
    }
  }
  dialog.EnableRequestControls(true);
  g_busy.store(0);
  return 1;
}

void StartWorker(const WorkerRequest& request) {
  auto copy = std::make_unique<WorkerRequest>(request);
  g_runningWorkers.fetch_add(1);
  try {
    std::thread([copy = std::move(copy)]() mutable {
      UpdateThreadProc(copy.get());
      // Counted out only once nothing of the request is left.
      copy.reset();
      g_runningWorkers.fetch_sub(1);
    }).detach();
  } catch (const std::system_error&) {
    // No thread could be made: the request does not run, as if another were running.
    g_runningWorkers.fetch_sub(1);
  }
}

int RunningWorkers() {
  return g_runningWorkers.load();
}
