#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "linux_layer_fixture.h"

namespace drvflash::testing {
namespace {

std::string Identifier(const SRB_HAInquiry& srb) {
  return {reinterpret_cast<const char*>(srb.HA_Identifier),
          strnlen(reinterpret_cast<const char*>(srb.HA_Identifier), sizeof srb.HA_Identifier)};
}

class LinuxLayerAddressingTest : public LinuxLayerFixture {};

// Host numbers have gaps and sysfs lists them in no particular order; adapters are numbered
// 0, 1, 2... in ascending host number, and each request reaches the node of its own host.
TEST_F(LinuxLayerAddressingTest, AdaptersAreHostsInAscendingOrder) {
  sysfs.AddHost(10, "usb-storage");
  sysfs.AddHost(0, "ahci");
  sysfs.AddHost(4, "a_very_long_driver_name");
  for (const char* address : {"0:0:1:0", "4:0:1:0", "10:0:1:0"}) {
    sysfs.AddDevice(address);
  }
  sysfs.AddGenericNode("10:0:1:0", "sg0");
  sysfs.AddGenericNode("0:0:1:0", "sg1");
  sysfs.AddGenericNode("4:0:1:0", "sg2");
  StartLayer();

  EXPECT_EQ(GetASPI32SupportInfo(), (DWORD{SS_COMP} << 8) | 3);
  const std::vector<std::string> expected{"ahci", "a_very_long_dri", "usb-storage"};
  for (BYTE ha = 0; ha < 3; ++ha) {
    SRB_HAInquiry srb{};
    srb.SRB_HaId = ha;
    SendASPI32Command(&srb);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);
    EXPECT_EQ(srb.HA_Count, 3);
    EXPECT_EQ(Identifier(srb), expected[ha]) << "adapter " << int{ha};
    EXPECT_EQ(srb.HA_Identifier[15], 0) << "at most 15 characters and a NUL";
  }
  SRB_HAInquiry beyond{};
  beyond.SRB_HaId = 3;
  SendASPI32Command(&beyond);
  EXPECT_EQ(beyond.SRB_Status, SS_INVALID_HA);

  for (BYTE ha = 0; ha < 3; ++ha) {
    EXPECT_EQ(TestUnitReadyAt(ha, 1), OUTCOME_OK);
  }
  const auto calls = executor->Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].node, Node("sg1"));
  EXPECT_EQ(calls[1].node, Node("sg2"));
  EXPECT_EQ(calls[2].node, Node("sg0"));
}

TEST_F(LinuxLayerAddressingTest, NoHostsMeansAUsableLayerWithoutAdapters) {
  StartLayer();
  EXPECT_EQ(GetASPI32SupportInfo(), DWORD{SS_COMP} << 8);
}

// Where the sg driver is not loaded the block node serves; the sg node is preferred where both
// exist. A target without a device, a device on another channel or LUN, and an adapter beyond
// the last one end at once, without reaching SG_IO.
TEST_F(LinuxLayerAddressingTest, EachTargetReachesItsOwnNode) {
  sysfs.AddHost(0, "ata_piix");
  sysfs.AddDevice("0:0:0:0");
  sysfs.AddBlockNode("0:0:0:0", "sr0");
  sysfs.AddDevice("0:0:1:0");
  sysfs.AddBlockNode("0:0:1:0", "sr1");
  sysfs.AddGenericNode("0:0:1:0", "sg4");
  sysfs.AddDevice("0:1:2:0");
  sysfs.AddGenericNode("0:1:2:0", "sg5");
  sysfs.AddDevice("0:0:3:1");
  sysfs.AddGenericNode("0:0:3:1", "sg6");
  StartLayer();
  ASSERT_EQ(GetASPI32SupportInfo() & 0xFF, 1u);

  EXPECT_EQ(TestUnitReadyAt(0, 0), OUTCOME_OK);
  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_OK);
  for (BYTE target : {2, 3, 7}) {
    EXPECT_EQ(TestUnitReadyAt(0, target), OUTCOME_ERROR) << int{target};
    EXPECT_EQ(g_srb.SRB_Status, SS_NO_DEVICE);
    EXPECT_NE(g_srb.SRB_HaStat, HASTAT_OK);
  }
  EXPECT_EQ(TestUnitReadyAt(1, 0), OUTCOME_ERROR);
  EXPECT_EQ(g_srb.SRB_Status, SS_INVALID_HA);

  const auto calls = executor->Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].node, Node("sr0"));
  EXPECT_EQ(calls[1].node, Node("sg4"));
}

// While a drive restarts its node is gone: a request waits for it as long as its requester
// does, and after the restart reaches the drive under whatever node it came back. A request
// whose requester gave up first is never sent. A target never reached ends at once.
TEST_F(LinuxLayerAddressingTest, ARestartingDriveIsWaitedForUnderItsNewNode) {
  sysfs.AddHost(2, "ahci");
  sysfs.AddDevice("2:0:0:0");
  sysfs.AddGenericNode("2:0:0:0", "sg2");
  StartLayer();
  GetASPI32SupportInfo();
  EXPECT_EQ(TestUnitReadyAt(0, 0), OUTCOME_OK);
  EXPECT_EQ(TestUnitReadyAt(0, 1), OUTCOME_ERROR);
  EXPECT_EQ(g_srb.SRB_Status, SS_NO_DEVICE);

  sysfs.RemoveGenericNode("sg2");
  EXPECT_EQ(Send(0, 0, {0, 0, 0, 0, 0, 0}, 0, nullptr, 0, Milliseconds{200}),
            OUTCOME_NO_COMPLETION);

  std::thread restart([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds{300});
    sysfs.AddGenericNode("2:0:0:0", "sg3");
  });
  EXPECT_EQ(Send(0, 0, {0, 0, 0, 0, 0, 0}, 0, nullptr, 0, Milliseconds{30000}), OUTCOME_OK);
  restart.join();

  const auto calls = executor->Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].node, Node("sg2"));
  EXPECT_EQ(calls[1].node, Node("sg3"));
}

// The kernel gives a new host the lowest free number. An adapter number stays with its host:
// a USB drive that restarts and comes back on its port under a lower host number is still
// its adapter, the card reader beside it keeps its own, and a host number taken over by
// another device elsewhere does not make that device the old adapter.
TEST_F(LinuxLayerAddressingTest, AnAdapterNumberStaysWithItsHost) {
  sysfs.AddHost(0, "ahci", "ata1");
  sysfs.AddHost(7, "usb-storage", "usb1/1-2:1.0");  // a card reader
  sysfs.AddHost(8, "usb-storage", "usb1/1-1:1.0");  // the drive
  sysfs.AddDevice("7:0:0:0", 0);
  sysfs.AddGenericNode("7:0:0:0", "sg2");
  sysfs.AddDevice("8:0:0:0");
  sysfs.AddGenericNode("8:0:0:0", "sg3");
  StartLayer();
  EXPECT_EQ(GetASPI32SupportInfo() & 0xFF, 3u);
  EXPECT_EQ(TestUnitReadyAt(2, 0), OUTCOME_OK);

  // The drive restarts: gone for a while, then back on its port as host 6.
  sysfs.RemoveGenericNode("sg3");
  sysfs.RemoveHost(8);
  EXPECT_EQ(Send(2, 0, {0, 0, 0, 0, 0, 0}, 0, nullptr, 0, Milliseconds{100}),
            OUTCOME_NO_COMPLETION);
  sysfs.AddHost(6, "usb-storage", "usb1/1-1:1.0");
  sysfs.AddDevice("6:0:0:0");
  sysfs.AddGenericNode("6:0:0:0", "sg4");
  EXPECT_EQ(TestUnitReadyAt(2, 0), OUTCOME_OK);
  EXPECT_EQ(TestUnitReadyAt(1, 0), OUTCOME_OK);

  // The card reader is unplugged and a disk on another port becomes host 7.
  sysfs.RemoveGenericNode("sg2");
  sysfs.RemoveHost(7);
  sysfs.AddHost(7, "usb-storage", "usb1/1-3:1.0");
  sysfs.AddGenericNode("7:0:0:0", "sg5");
  EXPECT_EQ(Send(1, 0, {0, 0, 0, 0, 0, 0}, 0, nullptr, 0, Milliseconds{100}),
            OUTCOME_NO_COMPLETION);
  EXPECT_EQ(GetASPI32SupportInfo() & 0xFF, 4u);
  EXPECT_EQ(TestUnitReadyAt(3, 0), OUTCOME_OK);

  std::vector<std::string> nodes;
  for (const auto& call : executor->Calls()) {
    nodes.push_back(call.node.filename().string());
  }
  EXPECT_EQ(nodes, (std::vector<std::string>{"sg3", "sg4", "sg2", "sg5"}));
}

}  // namespace
}  // namespace drvflash::testing
