// Full updates in a row on the real clock: wall time against the pauses, the main thread's
// responsiveness, resident memory.
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "aspi/sim/simulator_setup.h"
#include "child_modes.h"
#include "drive/busy_flag.h"
#include "sample_firmware.h"
#include "ui/control_id.h"
#include "ui/program.h"
#include "ui/updater_dlg.h"
#include "update/update_thread.h"

namespace drvflash::bench {

namespace {

// Notes when the drive list, the last of the controls an update unlocks, is enabled again:
// the moment the user can act once more.
class UnlockWatcher final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange && static_cast<QWidget*>(watched)->isEnabled()) {
      unlockedAt = std::chrono::steady_clock::now();
      unlocked = true;
    }
    return false;
  }

  SteadyTime unlockedAt;
  bool unlocked = false;
};

// The longest time between two ticks of a 10 ms timer on this thread while it is armed.
class TickGapMeter {
 public:
  TickGapMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    longestMs = 0;
    last_ = std::chrono::steady_clock::now();
    timer_.start();
  }
  void Stop() {
    Tick();
    timer_.stop();
  }
  double longestMs = 0;

 private:
  void Tick() {
    const SteadyTime now = std::chrono::steady_clock::now();
    longestMs = std::max(longestMs, MillisecondsBetween(last_, now));
    last_ = now;
  }
  QTimer timer_;
  SteadyTime last_;
};

std::string VersionOfUpdate(int index) {
  return "1." + std::to_string(30 + index);
}

}  // namespace

int RunUpdateSeries(QApplication& application, int updates) {
  // The clock outlives the drive, whose late answers it may still hold.
  PauseCountingClock clock;
  AnsweringPresenter presenter;
  const Installed installed(&clock, &presenter);
  PrepareApplication(application);
  const sim::SimulatorSetup setup = sim::InstallSimulatedDrive();
  if (!setup.installation) {
    PrintJsonLine({{"error", setup.error}});
    return 1;
  }
  sim::SimulatedAspiLayer& drive = setup.installation->Drive();

  const std::filesystem::path folder = std::filesystem::current_path();
  if (const tools::WrittenFirmware written =
          tools::WriteSampleFirmware({.identity = {.firmwareVersion = VersionOfUpdate(0)}}, folder);
      !written.error.empty()) {
    PrintJsonLine({{"error", written.error}});
    return 1;
  }

  int failures = 0;
  {
    CUpdaterDlg window;
    window.show();
    if (!WaitUntilExposed(window)) {
      PrintJsonLine({{"error", "the window did not appear"}});
      return 1;
    }
    const ResidentMemory opened = ReadResidentMemory();
    PrintJsonLine(
        {{"event", "opened"}, {"vm_hwm_kib", opened.peakKiB}, {"vm_rss_kib", opened.currentKiB}});

    UnlockWatcher unlock;
    FindControl(window, IDC_DRIVE_LIST)->installEventFilter(&unlock);
    auto* start = FindControl<QPushButton>(window, IDC_START);
    TickGapMeter ticks;

    for (int index = 0; index < updates; ++index) {
      const std::string version = VersionOfUpdate(index);
      if (index > 0) {
        const tools::WrittenFirmware written =
            tools::WriteSampleFirmware({.identity = {.firmwareVersion = version}}, folder);
        if (!written.error.empty()) {
          PrintJsonLine({{"error", written.error}});
          return 1;
        }
        window.DiscoverFirmwareFile();
      }
      const std::string before =
          drive.ViewDrive(0, 1).value_or(sim::SimulatedAspiLayer::DriveView{}).revision;
      presenter.texts.clear();
      clock.ForgetPauses();
      unlock.unlocked = false;

      ticks.Start();
      const SteadyTime clicked = std::chrono::steady_clock::now();
      start->click();
      const bool ended = ServeEventsUntil(
          [&unlock] { return unlock.unlocked && RunningWorkers() == 0; }, Milliseconds{120000});
      ticks.Stop();

      const std::string after =
          drive.ViewDrive(0, 1).value_or(sim::SimulatedAspiLayer::DriveView{}).revision;
      // Success: the drive runs the new version and no box but the confirmation was shown.
      const bool succeeded = ended && after == version && presenter.texts.size() == 1;
      failures += succeeded ? 0 : 1;
      const ResidentMemory memory = ReadResidentMemory();
      PrintJsonLine({{"event", "update"},
                     {"index", index + 1},
                     {"from", before},
                     {"to", after},
                     {"expected", version},
                     {"succeeded", succeeded},
                     {"boxes", presenter.texts},
                     {"wall_ms", ended ? MillisecondsBetween(clicked, unlock.unlockedAt) : -1.0},
                     {"paused_ms", clock.PausedMs()},
                     {"longest_tick_gap_ms", ticks.longestMs},
                     {"vm_hwm_kib", memory.peakKiB},
                     {"vm_rss_kib", memory.currentKiB}});
      if (!ended) {
        break;
      }
    }
    window.hide();
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace drvflash::bench
