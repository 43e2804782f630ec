#include <gtest/gtest.h>

#include "linux_layer_fixture.h"

namespace drvflash::testing {
namespace {

using namespace std::chrono_literals;

class LinuxLayerThreadTest : public LinuxLayerFixture {
 protected:
  void SetUp() override {
    sysfs.AddHost(0, "ahci");
    sysfs.AddDevice("0:0:1:0");
    sysfs.AddGenericNode("0:0:1:0", "sg1");
    StartLayer();
    GetASPI32SupportInfo();
  }
};

// The drive answers a READ BUFFER after its requester gave up and reused its buffer for the
// next request: the late data must land nowhere, and the next request is answered in turn.
TEST_F(LinuxLayerThreadTest, LateAnswerIsDroppedAndTheNextRequestRuns) {
  executor->SetResponder([](const linux_sg::SgCommand& command) {
    std::fill(command.data.begin(), command.data.end(), 0xEE);
    return linux_sg::SgResult{};
  });
  std::vector<BYTE> buffer(48, 0x55);
  executor->Hold();
  EXPECT_EQ(Send(0, 1, {0x3C, 2, 0xF1, 0, 0, 0, 0, 0, 48, 0}, SRB_DIR_IN, buffer.data(), 48, 30ms),
            OUTCOME_NO_COMPLETION);
  std::fill(buffer.begin(), buffer.end(), 0x77);
  executor->Release();

  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_OK);
  EXPECT_EQ(g_srb.SRB_Status, SS_COMP);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0x77), 48);
  const auto calls = executor->Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_NE(calls[0].data, buffer.data()) << "the layer reads into its own buffer";
  EXPECT_TRUE(calls[0].interruptBlocked) << "signals are blocked on the layer's thread";
}

// Outgoing data is copied when the request is sent: what the requester writes into its buffer
// after its wait ended never reaches the drive.
TEST_F(LinuxLayerThreadTest, OutgoingDataIsTheDataOfTheSend) {
  std::vector<BYTE> buffer(256, 0x11);
  executor->Hold();
  EXPECT_EQ(Send(0, 1, {0x3B, 4, 0xFF, 0, 0, 0, 0, 1, 0, 0}, SRB_DIR_OUT, buffer.data(), 256, 30ms),
            OUTCOME_NO_COMPLETION);
  std::fill(buffer.begin(), buffer.end(), 0x99);
  executor->Release();
  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_OK);

  const auto calls = executor->Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].direction, linux_sg::SgDirection::ToDevice);
  EXPECT_EQ(calls[0].dataOut, std::vector<BYTE>(256, 0x11));
  EXPECT_EQ(calls[1].direction, linux_sg::SgDirection::None);
}

// A device that does not answer holds up only the requests to itself; a request queued behind
// it whose requester gave up meanwhile never reaches the drive, not even once it answers.
TEST_F(LinuxLayerThreadTest, AHungDeviceHoldsUpOnlyItselfAndAbandonedRequestsAreNeverSent) {
  sysfs.AddDevice("0:0:2:0");
  sysfs.AddGenericNode("0:0:2:0", "sg2");
  executor->HoldNode(Node("sg1"));
  std::vector<BYTE> chunk(256, 0x11);
  // Long enough for the worker to have taken the first on, however loaded the machine.
  EXPECT_EQ(Send(0, 1, {0, 0, 0, 0, 0, 0}, 0, nullptr, 0, 500ms), OUTCOME_NO_COMPLETION);
  EXPECT_EQ(Send(0, 1, {0x3B, 4, 0xFF, 0, 0, 0, 0, 1, 0, 0}, SRB_DIR_OUT, chunk.data(), 256, 30ms),
            OUTCOME_NO_COMPLETION);
  EXPECT_EQ(TestUnitReadyAt(0, 2), OUTCOME_OK) << "the other device answers meanwhile";

  executor->Release();
  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_OK);
  std::vector<std::string> sent;
  for (const auto& call : executor->Calls()) {
    sent.push_back(call.node.filename().string() + ":" + std::to_string(call.cdb[0]));
  }
  EXPECT_EQ(sent, (std::vector<std::string>{"sg1:0", "sg2:0", "sg1:0"}));
}

}  // namespace
}  // namespace drvflash::testing
