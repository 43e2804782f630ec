#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "aspi/sim/scenario.h"

namespace drvflash::sim {
namespace {

TEST(ScenarioTest, LeftOutFieldsTakeTheDefaults) {
  const ScenarioLoad load = ParseScenario("{}", "empty", "/base");
  ASSERT_TRUE(load.scenario) << load.error;
  const Scenario& scenario = *load.scenario;
  EXPECT_TRUE(scenario.usable);
  EXPECT_TRUE(scenario.faults.empty());
  ASSERT_EQ(scenario.adapters.size(), 1u);
  EXPECT_EQ(scenario.adapters[0].identifier, "SIM HOST ADAPTER");
  const auto& targets = scenario.adapters[0].targets;
  ASSERT_EQ(targets.size(), 2u);
  const TargetSpec& drive = targets.at(1);
  EXPECT_EQ(drive.kind, TargetSpec::Kind::Qtx517);
  EXPECT_EQ(drive.inquiry.product, "QTX-517         ");
  EXPECT_EQ(drive.inquiry.revision, "1.28");
  EXPECT_EQ(drive.idBlock.vendor, "ZEPHRA  ");
  EXPECT_EQ(drive.restart, Milliseconds{3500});
  EXPECT_FALSE(drive.stateFile);
  EXPECT_EQ(targets.at(4).kind, TargetSpec::Kind::Other);
  EXPECT_EQ(targets.at(4).inquiry.vendor, "ACME    ");
}

TEST(ScenarioTest, ReadsEveryField) {
  const ScenarioLoad load = ParseScenario(R"({
    "usable": true,
    "adapters": [{ "identifier": "HBA", "targets": {
      "3": { "kind": "qtx517",
             "inquiry": { "vendor": "ROZUVAZ", "product": "QTX-517", "revision": "1.27" },
             "id_block": { "serial": "S1", "hardware": "HW-REV02", "vendor": "MORIC", "variant": "" },
             "kernel_marker": true, "kernel_required": true, "disc": "becoming_ready",
             "restart_ms": 10, "state_file": "state/drive.json" } } }],
    "faults": [{ "ha": 0, "target": 3, "command": "write_buffer", "mode": 7, "buffer_id": 240,
                 "offset": 32768, "from": 3, "count": 2, "result": { "sense": "04-08-01" } },
               { "command": "inquiry", "result": { "delay_ms": 250 } }]
  })",
                                          "full", "/base");
  ASSERT_TRUE(load.scenario) << load.error;
  const TargetSpec& drive = load.scenario->adapters.at(0).targets.at(3);
  EXPECT_EQ(drive.inquiry.vendor, "ROZUVAZ ");
  EXPECT_EQ(drive.inquiry.revision, "1.27");
  EXPECT_EQ(drive.idBlock.serial, "S1              ");
  EXPECT_EQ(drive.idBlock.vendor, "MORIC   ");
  EXPECT_EQ(drive.idBlock.variant, "        ");
  EXPECT_TRUE(drive.kernelMarker);
  EXPECT_TRUE(drive.kernelRequired);
  EXPECT_EQ(drive.disc, DiscState::BecomingReady);
  EXPECT_EQ(drive.restart, Milliseconds{10});
  EXPECT_EQ(drive.stateFile, std::filesystem::path("/base/state/drive.json"));
  const auto& faults = load.scenario->faults;
  ASSERT_EQ(faults.size(), 2u);
  EXPECT_EQ(faults[0].target, 3);
  EXPECT_EQ(faults[0].mode, 7);
  EXPECT_EQ(faults[0].bufferId, 240);
  EXPECT_EQ(faults[0].offset, 32768u);
  EXPECT_EQ(faults[0].from, 3);
  EXPECT_EQ(faults[0].count, 2);
  EXPECT_EQ(faults[0].result.kind, FaultResult::Kind::Sense);
  EXPECT_EQ(faults[0].result.senseKeyByte, 0x04);
  EXPECT_EQ(faults[0].result.asc, 0x08);
  EXPECT_EQ(faults[0].result.ascq, 0x01);
  EXPECT_EQ(faults[1].target, 1);
  EXPECT_EQ(faults[1].from, 1);
  EXPECT_EQ(faults[1].count, -1);
  EXPECT_EQ(faults[1].result.delay, Milliseconds{250});
}

TEST(ScenarioTest, MalformedScenarioIsRefusedNamingTheFault) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {R"({"adapters": [)", "not valid JSON"},
      // A number past the range of a double is a parse fault of its own kind.
      {R"({"adapters": [{"targets": {"1": {"restart_ms": 1e400}}}]})", "not valid JSON"},
      {R"([])", "must be an object"},
      {R"({"usable": "yes"})", "usable: must be true or false"},
      {R"({"adapter": []})", "adapter: unknown field"},
      {R"({"adapters": [{"identifier": "SEVENTEEN CHARS!!"}]})", "longer than 16"},
      {R"({"adapters": [{"targets": {"x1": {}}}]})", "targets.x1: a target id"},
      {R"({"adapters": [{"targets": {"1": {"kind": "tape"}}}]})", "targets.1.kind"},
      {R"({"adapters": [{"targets": {"1": {"disc": "open"}}}]})", "targets.1.disc"},
      {R"({"adapters": [{"targets": {"1": {"inquiry": {"revision": "1.280"}}}}]})",
       "inquiry.revision: \"1.280\" is longer than 4"},
      {R"({"adapters": [{"targets": {"1": {"restart_ms": -1}}}]})", "restart_ms: must be from"},
      {R"({"adapters": [{"targets": {"4": {"kind": "other", "disc": "none"}}}]})",
       "targets.4.disc: unknown field"},
      {R"({"faults": [{"command": "eject", "result": "drop"}]})", "faults[0].command"},
      {R"({"faults": [{"command": "inquiry", "mode": 4, "result": "drop"}]})",
       "faults[0].mode: applies to read_buffer and write_buffer only"},
      {R"({"faults": [{"command": "inquiry"}]})", "faults[0].result: missing"},
      {R"({"faults": [{"command": "inquiry", "result": {"sense": "4-8-1"}}]})", "kk-aa-qq"},
      {R"({"faults": [{"command": "inquiry", "result": "explode"}]})", "faults[0].result"},
      {R"({"faults": [{"command": "inquiry", "from": 0, "result": "drop"}]})", "faults[0].from"},
      {R"({"faults": [{"command": "inquiry", "count": -2, "result": "drop"}]})", "faults[0].count"},
      {R"({"faults": [{"command": "inquiry", "target": 1.5, "result": "drop"}]})",
       "faults[0].target: must be a whole number"},
  };
  for (const auto& [json, fault] : cases) {
    SCOPED_TRACE(json);
    const ScenarioLoad load = ParseScenario(json, "bad.json", "");
    EXPECT_FALSE(load.scenario);
    EXPECT_TRUE(load.error.starts_with("bad.json: ")) << load.error;
    EXPECT_NE(load.error.find(fault), std::string::npos) << load.error;
  }
}

TEST(ScenarioTest, FileIsReadWithItsStateFileBesideIt) {
  const auto folder = std::filesystem::path(::testing::TempDir()) / "scenario_file_test";
  std::filesystem::create_directories(folder);
  const auto file = folder / "scenario.json";
  std::ofstream(file) << R"({"adapters": [{"targets": {"1": {"state_file": "drive.json"}}}]})";
  const ScenarioLoad load = LoadScenarioFile(file);
  ASSERT_TRUE(load.scenario) << load.error;
  EXPECT_EQ(load.scenario->adapters[0].targets.at(1).stateFile, folder / "drive.json");

  std::ofstream(file) << R"({"adapters": 1})";
  EXPECT_EQ(LoadScenarioFile(file).error, file.string() + ": adapters: must be a list");
  const auto missing = folder / "missing.json";
  EXPECT_TRUE(LoadScenarioFile(missing).error.starts_with(missing.string() + ": cannot be read"));
}

}  // namespace
}  // namespace drvflash::sim
