// A chunk the drive answers GOOD but throws away: the update cannot know at the time, so the
// drive's version after the restart has to tell.
#include "hardening_fixture.h"

namespace drvflash::testing {
namespace {

const std::string KERNEL_MODE_QUESTION =
    "Update of Normal part failure \r\nRestart Normal part update";
const std::string KERNEL_MODE_TEXT =
    "Update failure. Drive is Kernel mode. \r\n Please retry firmware update again.";

TEST_F(HardeningTest, ADroppedChunkEndsWithTheKernelModeQuestionNeverWithSuccess) {
  struct Case {
    const char* name;
    nlohmann::json drive;
    int bufferId;
    int offset;
  };
  const Case cases[] = {
      {"first normal chunk", DriveFields("1.29"), 0xF0, 0},
      {"a middle normal chunk", DriveFields("1.29"), 0xF0, 0x78000},
      {"last normal chunk", DriveFields("1.29"), 0xF0, 0xF8000},
      {"normal chunk after the kernel part", DriveFields("1.28"), 0xF0, 0x10000},
      {"first kernel chunk of a drive that needs it",
       {{"inquiry", {{"revision", "1.28"}}}, {"kernel_required", true}},
       0xFE,
       0},
      {"second kernel chunk of a drive that needs it",
       {{"inquiry", {{"revision", "1.28"}}}, {"kernel_required", true}},
       0xFE,
       0x8000},
  };
  for (const Case& c : cases) {
    for (const BoxAnswer answer : {BoxAnswer::Cancel, BoxAnswer::Ok}) {
      const bool rerun = answer == BoxAnswer::Ok;
      SCOPED_TRACE(std::string(c.name) + (rerun ? ", OK: again" : ", Cancel"));
      StartDrive(c.drive, Rule("write_buffer",
                               {{"mode", 7}, {"buffer_id", c.bufferId}, {"offset", c.offset}}, 1, 1,
                               "drop"));
      WriteFirmware();
      Open();
      laterAnswer = answer;
      RunUpdateServed();
      ASSERT_FALSE(presenter.boxes.empty());
      EXPECT_EQ(presenter.boxes[0].text, KERNEL_MODE_QUESTION);
      EXPECT_EQ(presenter.boxes.size(), 1u);
      if (rerun) {
        // The drop was once: the second pass puts the whole firmware in.
        EXPECT_TRUE(Succeeded()) << g_logText;
        EXPECT_EQ(Drive().revision, "1.30");
        EXPECT_FALSE(Drive().kernelMode);
      } else {
        EXPECT_FALSE(Succeeded());
        EXPECT_TRUE(g_logText.ends_with(KERNEL_MODE_TEXT)) << g_logText;
        EXPECT_TRUE(Drive().kernelMode);
        EXPECT_EQ(Drive().revision, "0000");
        ExpectSoundEnd();
      }
      EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
      Reset();
    }
  }
}

}  // namespace
}  // namespace drvflash::testing
