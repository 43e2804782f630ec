#include <gtest/gtest.h>

#include <cerrno>
#include <nlohmann/json.hpp>
#include <sstream>

#include "aspi/trace_layer.h"
#include "linux_layer_fixture.h"

namespace drvflash::testing {
namespace {

class LinuxLayerTraceTest : public LinuxLayerFixture {};

// Requests on a real drive are traced like those on the simulated one; where the operating
// system failed the request, its errno says why.
TEST_F(LinuxLayerTraceTest, FailedIoctlCarriesItsErrno) {
  sysfs.AddHost(0, "ahci");
  sysfs.AddDevice("0:0:1:0");
  sysfs.AddGenericNode("0:0:1:0", "sg1");
  StartLayer();
  std::ostringstream out;
  TraceLayer trace(*layer, TraceSink::ToStream(out));
  SetActiveAspiLayer(&trace);
  GetASPI32SupportInfo();

  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_OK);
  executor->SetOpenError(sysfs.Roots().dev / "sg1", EACCES);
  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_ERROR);
  SetActiveAspiLayer(layer.get());

  std::istringstream lines(out.str());
  std::string first, second;
  ASSERT_TRUE(std::getline(lines, first));
  ASSERT_TRUE(std::getline(lines, second));
  const auto good = nlohmann::json::parse(first);
  const auto failed = nlohmann::json::parse(second);
  EXPECT_EQ(good["cdb"], "000000000000");
  EXPECT_EQ(good["status"], SS_COMP);
  EXPECT_FALSE(good.contains("errno"));
  EXPECT_EQ(failed["status"], SS_ERR);
  EXPECT_NE(failed["ha_stat"], 0);
  EXPECT_EQ(failed["errno"], EACCES);
}

}  // namespace
}  // namespace drvflash::testing
