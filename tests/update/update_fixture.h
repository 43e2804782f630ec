#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/sha256.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_aspi_layer.h"
#include "aspi/trace_layer.h"
#include "drive/busy_flag.h"
#include "platform/virtual_clock.h"
#include "sample_firmware.h"
#include "ui/display_text.h"
#include "update/update_thread.h"
#include "update/worker_request.h"
#include "window_fixture.h"

namespace drvflash::testing {

using namespace std::chrono_literals;

// One request the drive received, as the trace wrote it.
struct TracedCommand {
  std::string name;  // "TUR", "INQ", "RB f1", "WB4 ff 0", "WB7 f0 8000", ...
  int target;
  std::string dataDigest;
};

// Enabling and disabling of the window's controls, in the order it happened.
class EnabledChangeRecorder final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) {
      auto* control = static_cast<QWidget*>(watched);
      changes.push_back(std::to_string(control->property("controlId").toInt()) +
                        (control->isEnabled() ? " on" : " off"));
    }
    return false;
  }
  std::vector<std::string> changes;
};

inline const std::vector<std::string> LOCK_AND_UNLOCK = {
    "1007 off", "2 off", "1001 off", "1000 off", "1007 on", "2 on", "1001 on", "1000 on"};

// The main window on the simulated drive (adapter 0, target 1) on virtual time, every request
// traced, every box recorded and answered, sample firmware files in the current directory.
class UpdateTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetActiveClock(&clock);
    previous = std::filesystem::current_path();
    folder = std::filesystem::temp_directory_path() /
             ("drvflash-update-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    toThread = WorkerRequest{};
  }

  void TearDown() override {
    WaitUntilIdle();
    WindowTest::TearDown();
    SetActiveAspiLayer(nullptr);
    trace.reset();
    drive.reset();
    toThread = WorkerRequest{};
    SetActiveClock(nullptr);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
  }

  // The drive on target 1 with these scenario members and fault rules (JSON).
  void StartDrive(const nlohmann::json& target,
                  const nlohmann::json& faults = nlohmann::json::array()) {
    nlohmann::json fields = target;
    fields["kind"] = "qtx517";
    // A braced list of one rule reads as that rule, not as a list.
    const nlohmann::json rules = faults.is_array() ? faults : nlohmann::json::array({faults});
    StartScenario({{"adapters", {{{"targets", {{"1", fields}}}}}}, {"faults", rules}});
  }

  void StartScenario(const nlohmann::json& scenario) {
    sim::ScenarioLoad load = sim::ParseScenario(scenario.dump(), "test scenario", folder);
    ASSERT_TRUE(load.scenario) << load.error;
    std::string error;
    drive = sim::SimulatedAspiLayer::Create(*load.scenario, error);
    ASSERT_TRUE(drive) << error;
    trace = std::make_unique<TraceLayer>(*drive, TraceSink::ToStream(traceLines));
    SetActiveAspiLayer(trace.get());
  }

  // A drive whose INQUIRY revision is `revision` and whose identification block carries these
  // fields (defaults: HW-REV01, ZEPHRA, variant STD).
  static nlohmann::json DriveFields(const std::string& revision,
                                    const nlohmann::json& idBlock = nlohmann::json::object()) {
    return {{"inquiry", {{"revision", revision}}}, {"id_block", idBlock}};
  }

  // Sample firmware (version 1.30 unless the set says otherwise) in the current directory.
  void WriteFirmware(const tools::SampleFirmwareSet& set = {}) {
    firmware = set;
    written = tools::WriteSampleFirmware(set, folder);
    ASSERT_TRUE(written.error.empty()) << written.error;
  }

  // Opens the window in `language`, with texts built into the program in the same language,
  // and forgets what its start-up sent and paused.
  CUpdaterDlg& Open(Language language = Language::English) {
    OpenWindow(language);
    g_codePage = language == Language::Japanese ? 932 : 437;
    for (const int id : {1007, 2, 1001, 1000}) {
      FindControl(*window, id)->installEventFilter(&enabledChanges);
    }
    QObject::connect(Progress(), &QProgressBar::valueChanged,
                     [this](int value) { progressValues.push_back(value); });
    presenter.onPresent = [this](const PresentedBox& box) {
      if (IsConfirmation(box)) {
        presenter.answer = confirmAnswer;
        return;
      }
      presenter.answer = laterAnswer;
      lockedAtBoxes.push_back(AllLocked());
      progressAtBoxes.push_back(Progress()->value());
      if (atBox) {
        atBox();
      }
    };
    traceLines.str("");
    clock.ClearRecord();
    return *window;
  }

  void ClickStart() { QTest::mouseClick(FindControl<QWidget>(*window, 1007), Qt::LeftButton); }

  // Waits, serving the window, until every worker has ended.
  void WaitUntilIdle() {
    ASSERT_TRUE(QTest::qWaitFor([] { return RunningWorkers() == 0; }, 60000));
    EXPECT_EQ(g_busy.load(), 0);
  }

  // Start, confirmed; the boxes that follow the confirmation are left in presenter.boxes.
  void RunUpdate() {
    ClickStart();
    WaitUntilIdle();
    ASSERT_FALSE(presenter.boxes.empty());
    ASSERT_TRUE(IsConfirmation(presenter.boxes.front())) << presenter.boxes.front().text;
    presenter.boxes.erase(presenter.boxes.begin());
  }

  static bool IsConfirmation(const PresentedBox& box) {
    return box.buttons == BoxButtons::OkCancel && (box.text.starts_with("Update firmware from ") ||
                                                   box.text.starts_with("QTX-517をバージョン"));
  }

  bool AllLocked() const {
    for (const int id : {1007, 2, 1001, 1000}) {
      if (FindControl(*window, id)->isEnabled()) {
        return false;
      }
    }
    return true;
  }

  sim::SimulatedAspiLayer::DriveView Drive() const {
    return drive->ViewDrive(0, 1).value_or(sim::SimulatedAspiLayer::DriveView{});
  }

  QProgressBar* Progress() const { return FindControl<QProgressBar>(*window, 1006); }
  QString DriveVersionLabel() const { return FindControl<QLabel>(*window, 1013)->text(); }
  QString FirstDriveEntry() const { return FindControl<QComboBox>(*window, 1000)->itemText(0); }

  // The requests the drive received, in order; those to other targets (the scan's) left out
  // unless `allTargets`.
  std::vector<TracedCommand> Traced(bool allTargets = false) const {
    std::vector<TracedCommand> commands;
    std::istringstream lines(traceLines.str());
    for (std::string line; std::getline(lines, line);) {
      const nlohmann::json request = nlohmann::json::parse(line);
      const std::string cdb = request.at("cdb").get<std::string>();
      const int target = request.at("target").get<int>();
      if (!allTargets && target != 1) {
        continue;
      }
      const std::string opcode = cdb.substr(0, 2);
      std::string name = "opcode " + opcode;
      if (opcode == "00") {
        name = "TUR";
      } else if (opcode == "12") {
        name = "INQ";
      } else if (opcode == "3c") {
        name = "RB " + cdb.substr(4, 2);
      } else if (opcode == "3b") {
        std::stringstream offset;
        offset << std::hex << std::stoul(cdb.substr(6, 6), nullptr, 16);
        name = "WB" + std::to_string(std::stoi(cdb.substr(2, 2), nullptr, 16)) + " " +
               cdb.substr(4, 2) + " " + offset.str();
      }
      commands.push_back({name, target, request.value("data_sha256", "")});
    }
    return commands;
  }

  std::vector<std::string> Commands() const {
    std::vector<std::string> names;
    for (const TracedCommand& command : Traced()) {
      names.push_back(command.name);
    }
    return names;
  }

  // The chunks of a part as the update sends them: "WB7 <id> <offset>" for each.
  static std::vector<std::string> PartChunks(const std::string& bufferId, int chunks) {
    std::vector<std::string> names;
    for (int chunk = 0; chunk < chunks; ++chunk) {
      std::stringstream offset;
      offset << std::hex << chunk * 0x8000;
      names.push_back("WB7 " + bufferId + " " + offset.str());
    }
    return names;
  }

  // The digest of each chunk of an image, in order.
  static std::vector<std::string> ChunkDigests(const std::vector<std::uint8_t>& image) {
    std::vector<std::string> digests;
    for (std::size_t at = 0; at + 0x8000 <= image.size(); at += 0x8000) {
      digests.push_back(Sha256Hex(std::span(image).subspan(at, 0x8000)));
    }
    return digests;
  }

  // The digests the drive received with the chunks sent to buffer `bufferId` ("f0" or "fe").
  std::vector<std::string> SentDigests(const std::string& bufferId) const {
    std::vector<std::string> digests;
    for (const TracedCommand& command : Traced()) {
      if (command.name.starts_with("WB7 " + bufferId)) {
        digests.push_back(command.dataDigest);
      }
    }
    return digests;
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const PresentedBox& box : presenter.boxes) {
      texts.push_back(box.text);
    }
    return texts;
  }

  static std::vector<Milliseconds> Repeat(Milliseconds pause, int count) {
    return std::vector<Milliseconds>(static_cast<std::size_t>(count), pause);
  }

  template <class T>
  static std::vector<T> Concat(std::initializer_list<std::vector<T>> parts) {
    std::vector<T> all;
    for (const auto& part : parts) {
      all.insert(all.end(), part.begin(), part.end());
    }
    return all;
  }

  // Closes the window and forgets what its run recorded, for the next run of a loop.
  void CloseAndForget() {
    window.reset();
    presenter.boxes.clear();
    enabledChanges.changes.clear();
    lockedAtBoxes.clear();
    progressAtBoxes.clear();
    progressValues.clear();
    g_logText.clear();
  }

  std::string NormalPath() const { return written.normalPart.string(); }
  std::string KernelPath() const { return written.kernelPart.string(); }

  VirtualClock clock;
  std::unique_ptr<sim::SimulatedAspiLayer> drive;
  std::ostringstream traceLines;
  std::unique_ptr<TraceLayer> trace;
  std::filesystem::path previous;
  std::filesystem::path folder;
  tools::SampleFirmwareSet firmware;
  tools::WrittenFirmware written;
  EnabledChangeRecorder enabledChanges;
  std::vector<int> progressValues;
  // Whether the four request controls were disabled, and the progress bar, at each box but
  // the confirmation.
  std::vector<bool> lockedAtBoxes;
  std::vector<int> progressAtBoxes;
  // Runs on the window thread at every box but the confirmation, before it is answered.
  std::function<void()> atBox;
  BoxAnswer confirmAnswer = BoxAnswer::Ok;
  BoxAnswer laterAnswer = BoxAnswer::Ok;
};

}  // namespace drvflash::testing
