#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_aspi_layer.h"
#include "drive/command_set.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "platform/virtual_clock.h"
#include "sample_firmware.h"

namespace drvflash::sim::testing {

using namespace std::chrono_literals;

inline constexpr std::uint32_t CHUNK = 0x8000;
inline constexpr BYTE KERNEL_BUFFER = 0xFE;
inline constexpr BYTE NORMAL_BUFFER = 0xF0;

// A scenario with one adapter and a QTX-517 on target 1 whose fields default but for
// `targetFields` (JSON members), and the given fault rules (a JSON list).
inline std::string OneDriveScenario(std::string_view targetFields = "",
                                    std::string_view faults = "[]") {
  std::string json = R"({"adapters":[{"targets":{"1":{"kind":"qtx517")";
  if (!targetFields.empty()) {
    json += ",";
    json += targetFields;
  }
  json += R"(}}}],"faults":)";
  json += faults;
  json += "}";
  return json;
}

// Images that fit the default drive of a scenario (hardware HW-REV01, vendor ZEPHRA).
inline tools::FirmwareIdentity FittingIdentity(std::string version = "1.30") {
  tools::FirmwareIdentity identity;
  identity.firmwareVersion = std::move(version);
  return identity;
}
inline std::vector<std::uint8_t> NormalImage(
    const tools::FirmwareIdentity& identity = FittingIdentity()) {
  return tools::MakeFirmwareImage(identity, 'N', tools::NORMAL_PART_SIZE);
}
inline std::vector<std::uint8_t> KernelImage(
    const tools::FirmwareIdentity& identity = FittingIdentity()) {
  return tools::MakeFirmwareImage(identity, 'K', tools::KERNEL_PART_SIZE);
}

// The drive-access globals on virtual time, over a simulated setup built from scenario JSON;
// the selected drive is adapter 0, target 1.
class SimFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetActiveClock(&clock);
    AllocateTransferBuffers();
    g_haId = 0;
    g_targetId = 1;
  }
  void TearDown() override {
    SetActiveAspiLayer(nullptr);
    FreeTransferBuffers();
    SetActiveClock(nullptr);
  }

  void Start(std::string_view scenarioJson,
             const std::filesystem::path& baseDirectory = std::filesystem::path{}) {
    ScenarioLoad load = ParseScenario(scenarioJson, "test scenario", baseDirectory);
    ASSERT_TRUE(load.scenario) << load.error;
    std::string error;
    layer = SimulatedAspiLayer::Create(*load.scenario, error);
    ASSERT_TRUE(layer) << error;
    SetActiveAspiLayer(layer.get());
  }

  SimulatedAspiLayer::DriveView Drive() const {
    auto view = layer->ViewDrive(0, 1);
    return view.value_or(SimulatedAspiLayer::DriveView{"none", false, false, false});
  }

  // Chunks `first` to `last` (exclusive) of `image` to `bufferId`, each through g_writeBuffer
  // as the update does; the first outcome that is not OUTCOME_OK, or OUTCOME_OK.
  static DriveOutcome SendChunks(BYTE bufferId, const std::vector<std::uint8_t>& image,
                                 std::size_t first, std::size_t last) {
    for (std::size_t chunk = first; chunk < last; ++chunk) {
      std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(chunk * CHUNK), CHUNK, g_writeBuffer);
      const DriveOutcome outcome =
          WriteBuffer(7, bufferId, static_cast<std::uint32_t>(chunk * CHUNK), CHUNK, CHUNK);
      if (outcome != OUTCOME_OK) {
        return outcome;
      }
    }
    return OUTCOME_OK;
  }
  static DriveOutcome SendPart(BYTE bufferId, const std::vector<std::uint8_t>& image) {
    return SendChunks(bufferId, image, 0, image.size() / CHUNK);
  }

  // The revision that INQUIRY reports.
  static std::string InquiryRevision() {
    EXPECT_EQ(Inquiry(), OUTCOME_OK);
    return std::string(reinterpret_cast<const char*>(g_inquiryBuffer) + 32, 4);
  }

  VirtualClock clock;
  std::unique_ptr<SimulatedAspiLayer> layer;
};

}  // namespace drvflash::sim::testing
