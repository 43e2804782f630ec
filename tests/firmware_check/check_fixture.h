#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_aspi_layer.h"
#include "aspi/trace_layer.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "firmware/firmware_check.h"
#include "messages/built_in_text.h"
#include "messages/progress_log.h"
#include "messages/resource_language.h"
#include "platform/virtual_clock.h"
#include "recording_presenter.h"
#include "sample_firmware.h"
#include "ui/updater_dlg.h"
#include "update/worker_request.h"

namespace drvflash::testing {

// One firmware file to write: a sample image with this identity, cut or grown to `size`.
struct ImagePlan {
  tools::FirmwareIdentity identity;
  std::size_t size;
};

inline ImagePlan NormalPart(tools::FirmwareIdentity identity = {},
                            std::size_t size = tools::NORMAL_PART_SIZE) {
  return {std::move(identity), size};
}
inline ImagePlan KernelPart(tools::FirmwareIdentity identity = {},
                            std::size_t size = tools::KERNEL_PART_SIZE) {
  return {std::move(identity), size};
}

inline tools::FirmwareIdentity Identity(std::string version, std::string hardware = "HW-REV01",
                                        std::string vendor = "ZEPHRA  ",
                                        std::string variant = "STD     ") {
  return {std::move(version), std::move(hardware), std::move(vendor), std::move(variant)};
}

// The check as the update runs it: a main window (never shown, since its start-up would scan
// for drives), boxes recorded, a simulated drive on virtual time with every request it
// receives traced, and firmware files in a folder of the test's own.
class CheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetActiveClock(&clock);
    AllocateTransferBuffers();
    g_haId = 0;
    g_targetId = 1;
    g_logText.clear();
    UseLanguage(Language::English);
    traceLines.str("");
    presenter.boxes.clear();
    SetActiveMessageBoxPresenter(&presenter);
    window = std::make_unique<CUpdaterDlg>();
    toThread = WorkerRequest{REQUEST_UPDATE, window.get(), "", ""};
    g_kernelUpdate = -1;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::path(::testing::TempDir()) / "firmware_check" /
             (std::string(test->test_suite_name()) + "." + test->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }

  void TearDown() override {
    SetActiveAspiLayer(nullptr);
    trace.reset();
    drive.reset();
    window.reset();
    toThread = WorkerRequest{};
    SetActiveMessageBoxPresenter(nullptr);
    SetResourceLanguage(std::nullopt);
    g_codePage = 0;
    g_logText.clear();
    FreeTransferBuffers();
    SetActiveClock(nullptr);
    std::filesystem::remove_all(folder);
  }

  // Texts built into the program and string-table texts both in `language`.
  static void UseLanguage(Language language) {
    g_codePage = language == Language::Japanese ? 932 : 437;
    SetResourceLanguage(language);
  }

  // A QTX-517 on adapter 0, target 1, with these scenario members and fault rules.
  void StartDrive(std::string_view targetFields, std::string_view faults = "[]") {
    const std::string json = std::string(R"({"adapters":[{"targets":{"1":{"kind":"qtx517",)") +
                             std::string(targetFields) + R"(}}}],"faults":)" + std::string(faults) +
                             "}";
    sim::ScenarioLoad load = sim::ParseScenario(json, "test scenario", folder);
    ASSERT_TRUE(load.scenario) << load.error;
    std::string error;
    drive = sim::SimulatedAspiLayer::Create(*load.scenario, error);
    ASSERT_TRUE(drive) << error;
    trace = std::make_unique<TraceLayer>(*drive, TraceSink::ToStream(traceLines));
    SetActiveAspiLayer(trace.get());
  }

  // Writes `plan` at `path` through the sample firmware maker.
  static void WriteImage(const std::filesystem::path& path, const ImagePlan& plan, char kind) {
    std::vector<std::uint8_t> image = tools::MakeFirmwareImage(
        plan.identity, kind,
        std::max(plan.size, kind == 'K' ? tools::KERNEL_PART_SIZE : tools::NORMAL_PART_SIZE));
    image.resize(plan.size, 0x5A);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    ASSERT_TRUE(out.good()) << path;
  }

  // The normal-part file of `normal` under the sample maker's name (T58AB1CD.nnn) and, when
  // given, a kernel-part file beside it under the name the update derives (T58AB0CD.nnn).
  std::string WriteFirmware(const std::optional<ImagePlan>& normal,
                            const std::optional<ImagePlan>& kernel = std::nullopt) {
    const std::string version = normal ? normal->identity.firmwareVersion : "1.30";
    normalPath = folder / tools::NormalPartFileName("ABCD", version);
    kernelPath = folder / tools::KernelPartFileName("ABCD", version);
    if (normal) {
      WriteImage(normalPath, *normal, 'N');
    }
    if (kernel) {
      WriteImage(kernelPath, *kernel, 'K');
    }
    return normalPath.string();
  }

  int Check(const std::string& path) {
    toThread.n_filename = path;
    return CheckFirmwareFile(toThread);
  }

  // The commands the drive received, in order: "READ BUFFER f1", "INQUIRY", "WRITE BUFFER"...
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    std::istringstream lines(traceLines.str());
    for (std::string line; std::getline(lines, line);) {
      const std::string cdb = nlohmann::json::parse(line).at("cdb").get<std::string>();
      const std::string opcode = cdb.substr(0, 2);
      if (opcode == "12") {
        commands.push_back("INQUIRY");
      } else if (opcode == "3c") {
        commands.push_back("READ BUFFER " + cdb.substr(4, 2));
      } else if (opcode == "3b") {
        commands.push_back("WRITE BUFFER " + cdb.substr(4, 2));
      } else {
        commands.push_back("opcode " + opcode);
      }
    }
    return commands;
  }

  // Text of each box shown, in order.
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const PresentedBox& box : presenter.boxes) {
      texts.push_back(box.text);
    }
    return texts;
  }

  VirtualClock clock;
  std::unique_ptr<sim::SimulatedAspiLayer> drive;
  std::ostringstream traceLines;
  std::unique_ptr<TraceLayer> trace;
  RecordingPresenter presenter;
  std::unique_ptr<CUpdaterDlg> window;
  std::filesystem::path folder;
  std::filesystem::path normalPath;
  std::filesystem::path kernelPath;
};

}  // namespace drvflash::testing
