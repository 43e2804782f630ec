#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "aspi/sha256.h"
#include "aspi/sim/simulator_setup.h"
#include "aspi/trace_layer.h"
#include "sim_fixture.h"

namespace drvflash::sim::testing {
namespace {

std::vector<std::string> Lines(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(Sha256Test, KnownDigest) {
  const std::string abc = "abc";
  EXPECT_EQ(Sha256Hex({reinterpret_cast<const BYTE*>(abc.data()), abc.size()}),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

class TraceTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    file =
        std::filesystem::path(::testing::TempDir()) /
        (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".trace");
    std::filesystem::remove(file);
  }
  void Trace() {
    std::string error;
    auto sink = TraceSink::AppendToFile(file, error);
    ASSERT_TRUE(sink) << error;
    trace = std::make_unique<TraceLayer>(*layer, sink);
    SetActiveAspiLayer(trace.get());
  }
  void TearDown() override {
    SetActiveAspiLayer(nullptr);
    trace.reset();
    SimFixture::TearDown();
  }

  std::filesystem::path file;
  std::unique_ptr<TraceLayer> trace;
};

TEST_F(TraceTest, EveryRequestIsOneLineWithItsCdbDataDigestAndEnd) {
  Start(OneDriveScenario("", R"([{"command": "inquiry", "result": "no_completion"}])"));
  clock.Sleep(100ms);
  Trace();
  clock.Sleep(70ms);
  TestUnitReady();
  WriteSignature(4);
  ReadDriveIdBlock();
  Inquiry();

  std::vector<BYTE> signature(256, 0);
  std::memcpy(signature.data(), "KORVANE QTX-M482", 16);
  const std::vector<std::string> expected = {
      R"({"seq":1,"t_ms":70,"ha":0,"target":1,"lun":0,"cdb":"000000000000","dir":"none",)"
      R"("len":0,"status":4,"ha_stat":0,"sense":"02-3a-00"})",
      R"({"seq":2,"t_ms":100,"ha":0,"target":1,"lun":0,"cdb":"3b04ff00000000010000","dir":"out",)"
      R"("len":256,"data_sha256":")" +
          Sha256Hex(signature) + R"(","status":1,"ha_stat":0,"sense":"00-00-00"})",
      R"({"seq":3,"t_ms":100,"ha":0,"target":1,"lun":0,"cdb":"3c02f100000000003000","dir":"in",)"
      R"("len":48,"status":1,"ha_stat":0,"sense":"00-00-00"})",
      R"({"seq":4,"t_ms":100,"ha":0,"target":1,"lun":0,"cdb":"12000000fe00","dir":"in",)"
      R"("len":254,"status":0,"ha_stat":0,"sense":"00-00-00"})",
  };
  EXPECT_EQ(Lines(file), expected);
}

TEST_F(TraceTest, LateAnswerIsWrittenWhenItEndsAndResendsGetTheirOwnLine) {
  Start(OneDriveScenario(
      R"("restart_ms": 1000)",
      R"([{"command": "read_buffer", "count": 1, "result": {"delay_ms": 70000}}])"));
  Trace();
  EXPECT_EQ(ReadDriveIdBlock(), OUTCOME_NO_COMPLETION);  // gives up at 60 s
  EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM);
  clock.Sleep(20000ms);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);   // restarts the drive
  EXPECT_EQ(ReadDriveIdBlock(), OUTCOME_OK);  // unit attention, then resent

  std::vector<nlohmann::json> lines;
  for (const std::string& line : Lines(file)) {
    lines.push_back(nlohmann::json::parse(line));
  }
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0]["seq"], 2) << "the unit-ready test ended first";
  EXPECT_EQ(lines[1]["seq"], 1);
  EXPECT_EQ(lines[1]["t_ms"], 0);
  EXPECT_EQ(lines[1]["status"], SS_COMP) << "its answer came, though nobody waited";
  EXPECT_EQ(lines[3]["seq"], 4);
  EXPECT_EQ(lines[3]["sense"], "06-29-00");
  EXPECT_EQ(lines[3]["t_ms"], 80030);
  EXPECT_EQ(lines[4]["seq"], 5);
  EXPECT_EQ(lines[4]["cdb"], lines[3]["cdb"]) << "a resend is the same command";
  EXPECT_EQ(lines[4]["status"], SS_COMP);
}

TEST_F(TraceTest, EnvironmentInstallsTheScenarioFileWithItsTrace) {
  const auto scenario = file.parent_path() / "trace_env_scenario.json";
  std::ofstream(scenario) << R"({"adapters": [{"targets": {"2": {"kind": "qtx517"}}}]})";
  std::ofstream(file) << "earlier line\n";
  ::setenv(SCENARIO_VARIABLE, scenario.c_str(), 1);
  ::setenv(TRACE_VARIABLE, file.c_str(), 1);
  {
    SimulatorSetup setup = InstallSimulatedDrive();
    ASSERT_TRUE(setup.installation) << setup.error;
    EXPECT_TRUE(setup.warning.empty()) << setup.warning;
    g_targetId = 2;
    EXPECT_EQ(TestUnitReady(), OUTCOME_NO_MEDIUM);
    g_targetId = 1;
    EXPECT_EQ(TestUnitReady(), OUTCOME_ERROR);
  }
  EXPECT_EQ(ActiveAspiLayer(), nullptr);
  const auto lines = Lines(file);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "earlier line");
  EXPECT_EQ(nlohmann::json::parse(lines[1])["target"], 2);
  EXPECT_EQ(nlohmann::json::parse(lines[2])["ha_stat"], HASTAT_SEL_TO);

  std::ofstream(scenario) << R"({"adapters": {}})";
  SimulatorSetup refused = InstallSimulatedDrive();
  EXPECT_FALSE(refused.installation);
  EXPECT_TRUE(refused.error.starts_with(scenario.string() + ": adapters")) << refused.error;

  ::unsetenv(SCENARIO_VARIABLE);
  ::unsetenv(TRACE_VARIABLE);
  SimulatorSetup demo = InstallSimulatedDrive();
  ASSERT_TRUE(demo.installation) << demo.error;
  EXPECT_EQ(GetASPI32SupportInfo(), (DWORD{SS_COMP} << 8) | 1);
  g_targetId = 4;
  EXPECT_EQ(Inquiry(), OUTCOME_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(g_inquiryBuffer) + 8, 4), "ACME");
}

}  // namespace
}  // namespace drvflash::sim::testing
