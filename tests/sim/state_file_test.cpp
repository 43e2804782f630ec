#include <filesystem>
#include <fstream>

#include "sim_fixture.h"

namespace drvflash::sim::testing {
namespace {

class StateFileTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    folder = std::filesystem::path(::testing::TempDir()) /
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  std::string Scenario() const { return OneDriveScenario(R"("state_file": "drive-state.json")"); }

  std::filesystem::path folder;
};

TEST_F(StateFileTest, UpdatedRevisionAndKernelModeCarryOverToTheNextLayer) {
  Start(Scenario(), folder);
  ASSERT_EQ(WriteSignature(4), OUTCOME_OK);
  ASSERT_EQ(SendPart(NORMAL_BUFFER, NormalImage(FittingIdentity("1.31"))), OUTCOME_OK);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK);
  EXPECT_TRUE(std::filesystem::exists(folder / "drive-state.json"));

  Start(Scenario(), folder);
  EXPECT_EQ(InquiryRevision(), "1.31");
  EXPECT_EQ(ProbeKernelMarker(), 0);
  ASSERT_EQ(WriteSignature(5), OUTCOME_OK) << "closing without an image leaves the kernel";

  Start(Scenario(), folder);
  EXPECT_EQ(InquiryRevision(), "0000");
  EXPECT_EQ(ProbeKernelMarker(), 1);
  EXPECT_TRUE(Drive().kernelMode);
  EXPECT_EQ(SendChunks(NORMAL_BUFFER, NormalImage(), 0, 1), OUTCOME_OK)
      << "a drive in kernel mode takes firmware without mode 4";
}

TEST_F(StateFileTest, UnreadableStateFileRefusesTheLayerNamingTheFile) {
  const auto file = folder / "drive-state.json";
  for (const char* content :
       {"{", R"({"revision": "1.3", "mode": "normal"})", R"({"revision": "1.30", "mode": "flash"})",
        R"({"revision": 1e400, "mode": "normal"})"}) {
    SCOPED_TRACE(content);
    std::ofstream(file) << content;
    ScenarioLoad load = ParseScenario(Scenario(), "test scenario", folder);
    ASSERT_TRUE(load.scenario) << load.error;
    std::string error;
    EXPECT_FALSE(SimulatedAspiLayer::Create(*load.scenario, error));
    EXPECT_TRUE(error.starts_with(file.string() + ": ")) << error;
  }
}

}  // namespace
}  // namespace drvflash::sim::testing
