#include "aspi/linux/setup_diagnostics.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "fake_sg_executor.h"
#include "fake_sysfs.h"

namespace drvflash::testing {
namespace {

namespace fs = std::filesystem;
using linux_sg::FindSetupProblems;
using linux_sg::SetupProblemTexts;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Only CD/DVD drives count: a disk the user cannot open is none of the tool's business, and
// joining its group would hand out the disk.
TEST(SetupDiagnosticsTest, UnopenableDriveNamesItsNodeGroupAndFix) {
  FakeSysfs sysfs;
  FakeSgExecutor executor;
  sysfs.AddHost(0, "ahci");
  sysfs.AddDevice("0:0:0:0", 0);
  sysfs.AddGenericNode("0:0:0:0", "sg0");
  sysfs.AddDevice("0:0:1:0");
  sysfs.AddGenericNode("0:0:1:0", "sg1");
  sysfs.AddDevice("0:0:2:0");
  sysfs.AddGenericNode("0:0:2:0", "sg2");
  const fs::path dev = sysfs.Roots().dev;
  fs::permissions(dev / "sg1", fs::perms::owner_read | fs::perms::owner_write |
                                   fs::perms::group_read | fs::perms::group_write);
  executor.SetOpenError(dev / "sg0", EACCES);
  executor.SetOpenError(dev / "sg1", EACCES);
  executor.SetOpenError(dev / "sg2", EBUSY);

  const auto problems = FindSetupProblems(sysfs.Roots(), executor);
  ASSERT_EQ(problems.unopenable.size(), 2u);
  EXPECT_EQ(problems.unopenable[0].node, dev / "sg1");
  EXPECT_FALSE(problems.unopenable[0].group.empty());
  EXPECT_FALSE(problems.noGenericNode);

  const auto texts = SetupProblemTexts(problems);
  ASSERT_EQ(texts.size(), 2u);
  const std::string node = (dev / "sg1").string();
  const std::string group = problems.unopenable[0].group;
  for (const std::string& text : {texts[0].english, texts[0].japanese}) {
    EXPECT_TRUE(text.starts_with("\r\n")) << text;
    EXPECT_TRUE(Contains(text, node)) << text;
    EXPECT_TRUE(Contains(text, "usermod -aG " + group)) << text;
    EXPECT_TRUE(Contains(text, "root")) << text;
  }
  EXPECT_TRUE(Contains(texts[0].english, "Permission denied"));
  EXPECT_TRUE(Contains(texts[0].japanese, "を開けません"));
  EXPECT_TRUE(Contains(texts[1].english, "sg2 (Device or resource busy)."));
  EXPECT_FALSE(Contains(texts[1].english, "usermod")) << "no group fixes a busy node";
}

// A node whose group may not write it: joining the group would not help.
TEST(SetupDiagnosticsTest, NodeClosedToItsGroupLeavesOnlyRoot) {
  FakeSysfs sysfs;
  FakeSgExecutor executor;
  sysfs.AddHost(0, "ahci");
  sysfs.AddDevice("0:0:1:0");
  sysfs.AddGenericNode("0:0:1:0", "sg1");
  fs::permissions(sysfs.Roots().dev / "sg1", fs::perms::owner_read | fs::perms::owner_write);
  executor.SetOpenError(sysfs.Roots().dev / "sg1", EPERM);

  const auto texts = SetupProblemTexts(FindSetupProblems(sysfs.Roots(), executor));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_FALSE(Contains(texts[0].english, "usermod"));
  EXPECT_TRUE(Contains(texts[0].english, "Run drvflash as root."));
  EXPECT_TRUE(Contains(texts[0].japanese, "root で実行"));
}

TEST(SetupDiagnosticsTest, MissingSgDriverIsReported) {
  struct Case {
    const char* name;
    bool drive;
    const char* node;  // named in the text
  };
  for (const Case c : {Case{"a drive with only /dev/srN", true, "sr0"},
                       Case{"no SCSI device at all", false, "/dev/sg*"}}) {
    SCOPED_TRACE(c.name);
    FakeSysfs sysfs;
    FakeSgExecutor executor;
    sysfs.AddHost(0, "usb-storage");
    if (c.drive) {
      sysfs.AddDevice("0:0:0:0");
      sysfs.AddBlockNode("0:0:0:0", "sr0");
    }
    const auto problems = FindSetupProblems(sysfs.Roots(), executor);
    EXPECT_TRUE(problems.noGenericNode);
    EXPECT_TRUE(problems.unopenable.empty());
    const auto texts = SetupProblemTexts(problems);
    ASSERT_EQ(texts.size(), 1u);
    for (const std::string& text : {texts[0].english, texts[0].japanese}) {
      EXPECT_TRUE(Contains(text, "sudo modprobe sg")) << text;
      EXPECT_TRUE(Contains(text, c.node)) << text;
    }
  }
}

TEST(SetupDiagnosticsTest, WorkingSetupHasNothingToSay) {
  FakeSysfs sysfs;
  FakeSgExecutor executor;
  sysfs.AddHost(0, "ahci");
  sysfs.AddDevice("0:0:1:0");
  sysfs.AddBlockNode("0:0:1:0", "sr0");
  sysfs.AddGenericNode("0:0:1:0", "sg1");
  const auto problems = FindSetupProblems(sysfs.Roots(), executor);
  EXPECT_TRUE(problems.Empty());
  EXPECT_TRUE(SetupProblemTexts(problems).empty());
}

}  // namespace
}  // namespace drvflash::testing
