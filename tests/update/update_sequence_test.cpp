#include <QProgressBar>

#include "update_fixture.h"

namespace drvflash::testing {
namespace {

const std::string PREPARING = "\r\nPreparing for update firmware -> ";
const std::string DONE = "done";
const std::string KERNEL_START = "\r\nUpdating Kernel part firmware";
const std::string NORMAL_START = "\r\nNow firmware updating...";
const std::string RESTARTING = "\r\nrestarting drive. Please wait 4 sec.";
std::string Success(const std::string& revision) {
  return "\r\n\r\nUpdate firmware is complete.\r\n\r\nNew firmware version is " + revision +
         ".\r\n\r\nPlease reboot computer.";
}
const std::string DMA_ERROR =
    "Data transfer error using DMA mode\r\nPlease disable DMA transfer mode.\r\nPlease refer to "
    "README.TXT file to disable DMA mode.";
const std::string NO_RESPONSE =
    "Drive restart failure, no response from drive \r\nPlease turn off and power on "
    "computer,\r\nthen check drive firmware version again.";

const std::vector<std::string> CHECK_OEM = {"RB f1", "INQ"};

nlohmann::json Fault(const std::string& command, nlohmann::json result, int from = 1, int count = 1,
                     nlohmann::json match = nlohmann::json::object()) {
  nlohmann::json rule = std::move(match);
  rule["ha"] = 0;
  rule["target"] = 1;
  rule["command"] = command;
  rule["from"] = from;
  rule["count"] = count;
  rule["result"] = std::move(result);
  return rule;
}
nlohmann::json Sense(const std::string& sense) {
  return {{"sense", sense}};
}
nlohmann::json WriteBufferAt(int mode, int bufferId, int offset) {
  return {{"mode", mode}, {"buffer_id", bufferId}, {"offset", offset}};
}

std::vector<int> Range(int first, int last) {
  std::vector<int> values;
  for (int value = first; value <= last; ++value) {
    values.push_back(value);
  }
  return values;
}

TEST_F(UpdateTest, FullUpdateWithoutKernelPartWritesEveryChunkAndReadsTheNewVersionBack) {
  StartDrive(DriveFields("1.29"));
  WriteFirmware();
  Open();
  ASSERT_EQ(DriveVersionLabel(), "1.29");
  RunUpdate();

  EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"},
                                             CHECK_OEM,
                                             {"RB f1", "WB4 ff 0"},
                                             PartChunks("f0", 32),
                                             {"WB5 ff 0", "INQ", "INQ"}}));
  EXPECT_EQ(SentDigests("f0"), ChunkDigests(tools::MakeFirmwareImage(firmware.identity, 'N',
                                                                     tools::NORMAL_PART_SIZE)));
  EXPECT_EQ(g_logText, PREPARING + DONE + NORMAL_START + RESTARTING + Success("1.30"));
  EXPECT_EQ(PaneText(), DisplayText(g_logText));
  EXPECT_TRUE(presenter.boxes.empty());
  EXPECT_EQ(progressValues, Range(1, 35));
  EXPECT_EQ(clock.Pauses(),
            Concat<Milliseconds>({{2000ms, 30ms, 3000ms}, Repeat(30ms, 32), {30ms, 4000ms}}));
  EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
  EXPECT_EQ(DriveVersionLabel(), "1.30");
  EXPECT_TRUE(FirstDriveEntry().endsWith("(ver1.30)")) << FirstDriveEntry().toStdString();
  EXPECT_EQ(Drive().revision, "1.30");
}

TEST_F(UpdateTest, FullUpdateWithKernelPartSendsTwoKernelChunksFirstAndStopsTheBarAtItsEnd) {
  StartDrive(DriveFields("1.28"));  // an OEM drive on 1.28 needs its kernel part
  WriteFirmware();
  Open();
  Progress()->setValue(20);
  progressValues.clear();
  RunUpdate();

  EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"},
                                             CHECK_OEM,
                                             {"RB f1", "WB4 ff 0"},
                                             PartChunks("fe", 2),
                                             {"TUR"},
                                             PartChunks("f0", 32),
                                             {"WB5 ff 0", "INQ", "INQ"}}));
  EXPECT_EQ(SentDigests("fe"), ChunkDigests(tools::MakeFirmwareImage(firmware.identity, 'K',
                                                                     tools::KERNEL_PART_SIZE)));
  EXPECT_EQ(SentDigests("f0"), ChunkDigests(tools::MakeFirmwareImage(firmware.identity, 'N',
                                                                     tools::NORMAL_PART_SIZE)));
  EXPECT_EQ(g_logText, PREPARING + DONE + KERNEL_START + RESTARTING + NORMAL_START + RESTARTING +
                           Success("1.30"));
  EXPECT_TRUE(presenter.boxes.empty());
  // Reset to 0, then 37 steps of which the last two find the bar at its end.
  EXPECT_EQ(progressValues, Range(0, 35));
  EXPECT_EQ(Progress()->value(), 35);
  EXPECT_EQ(clock.Pauses(),
            Concat<Milliseconds>(
                {{2000ms, 30ms, 3000ms, 30ms, 30ms, 4000ms}, Repeat(30ms, 32), {30ms, 4000ms}}));
  EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
  EXPECT_EQ(DriveVersionLabel(), "1.30");
}

TEST_F(UpdateTest, BlankVariantDriveTakesItsFirmwareWithoutTheModeSwitchButIsClosed) {
  StartDrive(DriveFields("1.29", {{"variant", "        "}}));
  WriteFirmware();
  Open();
  RunUpdate();

  EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"},
                                             CHECK_OEM,
                                             {"RB f1"},
                                             PartChunks("f0", 32),
                                             {"WB5 ff 0", "INQ", "INQ"}}));
  EXPECT_EQ(g_logText, PREPARING + DONE + NORMAL_START + RESTARTING + Success("1.30"));
  EXPECT_EQ(progressValues, Range(1, 35));
  EXPECT_EQ(clock.Pauses(),
            Concat<Milliseconds>({{2000ms, 3000ms}, Repeat(30ms, 32), {30ms, 4000ms}}));
}

TEST_F(UpdateTest, AnUnreadIdentificationBlockBeforeTheModeSwitchIsNotedAndTheSwitchTried) {
  // The check reads the block first; the second read, the variant probe's, fails.
  StartDrive(DriveFields("1.29"),
             Fault("read_buffer", Sense("04-44-00"), 2, 1, {{"buffer_id", 0xF1}}));
  WriteFirmware();
  Open();
  RunUpdate();
  EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"},
                                             CHECK_OEM,
                                             {"RB f1", "WB4 ff 0"},
                                             PartChunks("f0", 32),
                                             {"WB5 ff 0", "INQ", "INQ"}}));
  EXPECT_EQ(g_logText, PREPARING + "\r\n Buffer read error." + DONE + NORMAL_START + RESTARTING +
                           Success("1.30"));
  EXPECT_TRUE(presenter.boxes.empty());
}

TEST_F(UpdateTest, UnexpectedErrorInJapanese) {
  StartDrive(DriveFields("1.29"), Fault("test_unit_ready", Sense("04-08-01"), 2));
  WriteFirmware();
  Open(Language::Japanese);
  RunUpdate();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "予期していないエラーが発生しました．(asc 04-08-01)");
  EXPECT_EQ(presenter.boxes[0].caption, "不明なエラー");
  EXPECT_EQ(g_logText, "\r\n 予期していないエラーが発生しました.\r\n (asc 04-08-01)");
}

TEST_F(UpdateTest, TheSecondTestUnitReadyDecidesWhetherTheUpdateGoesOn) {
  struct Case {
    const char* name;
    nlohmann::json drive;
    nlohmann::json faults;
    bool goesOn;
    std::string box;
    std::string caption;
    std::string log;  // after the update stopped: the pane
  };
  const std::string discIn = "Disc is in drive. Please remove disc from drive.";
  const Case cases[] = {
      {"no medium", {{"disc", "none"}}, nlohmann::json::array(), true, "", "", ""},
      {"initializing command required",
       {{"disc", "init_required"}},
       nlohmann::json::array(),
       true,
       "",
       "",
       ""},
      {"the first answer is not looked at",
       {{"disc", "none"}},
       {Fault("test_unit_ready", "no_completion")},
       true,
       "",
       "",
       ""},
      {"disc loaded",
       {{"disc", "loaded"}},
       nlohmann::json::array(),
       false,
       discIn,
       "Update stopped",
       "\r\n" + discIn},
      {"disc becoming ready",
       {{"disc", "becoming_ready"}},
       nlohmann::json::array(),
       false,
       discIn,
       "Update stopped",
       "\r\n" + discIn},
      {"DMA time-out",
       {{"disc", "none"}},
       {Fault("test_unit_ready", Sense("04-08-01"), 2)},
       false,
       "Unexpected error  (asc 04-08-01)",
       "Update stopped",
       "\r\n  Unexpected error (asc 04-08-01)"},
      {"unit attention",
       {{"disc", "none"}},
       {Fault("test_unit_ready", Sense("06-29-00"), 2)},
       false,
       "Unexpected error  (asc 06-29-00)",
       "Update stopped",
       "\r\n  Unexpected error (asc 06-29-00)"},
      {"no answer in time",
       {{"disc", "none"}},
       {Fault("test_unit_ready", "no_completion", 2)},
       false,
       "Unexpected error  (asc 00-00-00)",
       "Update stopped",
       "\r\n  Unexpected error (asc 00-00-00)"},
      {"adapter failure",
       {{"disc", "none"}},
       {Fault("test_unit_ready", "host_error", 2)},
       false,
       "Unexpected error  (asc 00-00-00)",
       "Update stopped",
       "\r\n  Unexpected error (asc 00-00-00)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    nlohmann::json fields = DriveFields("1.29");
    fields.update(c.drive);
    StartDrive(fields, c.faults);
    WriteFirmware();
    Open();
    RunUpdate();
    if (c.goesOn) {
      EXPECT_TRUE(presenter.boxes.empty());
      EXPECT_EQ(g_logText, PREPARING + DONE + NORMAL_START + RESTARTING + Success("1.30"));
    } else {
      EXPECT_EQ(Commands(), (std::vector<std::string>{"TUR", "TUR"}));
      ASSERT_EQ(presenter.boxes.size(), 1u);
      EXPECT_EQ(presenter.boxes[0].text, c.box);
      EXPECT_EQ(presenter.boxes[0].caption, c.caption);
      EXPECT_EQ(presenter.boxes[0].buttons, BoxButtons::Ok);
      EXPECT_EQ(presenter.boxes[0].owner, window.get());
      EXPECT_EQ(lockedAtBoxes, std::vector<bool>{true});
      EXPECT_EQ(PaneText(), DisplayText(c.log));
      EXPECT_TRUE(clock.Pauses().empty());
      EXPECT_EQ(progressAtBoxes, std::vector<int>{0});
    }
    EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
    CloseAndForget();
  }
}

TEST_F(UpdateTest, TheModeSwitchIsTriedTwelveTimesAtMost) {
  struct Case {
    const char* name;
    int failures;
    std::string sense;
    std::string box;  // empty: the update goes on
    std::string caption;
    std::string log;
  };
  const std::string prepare =
      " Fail to prepare drive for download \r\n Failure due to loading/unloading of tray";
  const Case cases[] = {
      {"eleven DMA time-outs", 11, "04-08-01", "", "", ""},
      {"eleven other failures", 11, "05-26-00", "", "", ""},
      {"twelve DMA time-outs", 12, "04-08-01", DMA_ERROR, "Update stopped", "\r\n" + DMA_ERROR},
      {"twelve other failures", 12, "05-26-00", prepare, "error", "\r\n" + prepare},
      {"DMA time-outs, then another failure last", 12, "05-26-00", prepare, "error",
       "\r\n" + prepare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    nlohmann::json faults = {
        Fault("write_buffer", Sense(c.sense), 1, c.failures, WriteBufferAt(4, 255, 0))};
    if (std::string(c.name).starts_with("DMA time-outs, then")) {
      faults = {Fault("write_buffer", Sense("04-08-01"), 1, 11, WriteBufferAt(4, 255, 0)),
                Fault("write_buffer", Sense("05-26-00"), 12, 1, WriteBufferAt(4, 255, 0))};
    }
    StartDrive(DriveFields("1.29"), faults);
    WriteFirmware();
    Open();
    RunUpdate();
    const std::vector<std::string> switches(12, "WB4 ff 0");
    if (c.box.empty()) {
      EXPECT_TRUE(presenter.boxes.empty());
      EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"},
                                                 CHECK_OEM,
                                                 {"RB f1"},
                                                 switches,
                                                 PartChunks("f0", 32),
                                                 {"WB5 ff 0", "INQ", "INQ"}}));
      EXPECT_EQ(g_logText, PREPARING + DONE + NORMAL_START + RESTARTING + Success("1.30"));
    } else {
      EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"}, CHECK_OEM, {"RB f1"}, switches}));
      EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box});
      EXPECT_EQ(presenter.boxes[0].caption, c.caption);
      EXPECT_TRUE(PaneText().endsWith(DisplayText(c.log)));
      EXPECT_EQ(clock.Pauses(), Concat<Milliseconds>({{2000ms}, Repeat(30ms, 12)}));
      EXPECT_EQ(progressAtBoxes, std::vector<int>{1});
    }
    window.reset();
    presenter.boxes.clear();
    progressAtBoxes.clear();
    g_logText.clear();
  }
}

TEST_F(UpdateTest, FailToPrepareInJapaneseQuotesTheSense) {
  StartDrive(DriveFields("1.29"),
             {Fault("write_buffer", Sense("05-26-00"), 1, -1, WriteBufferAt(4, 255, 0))});
  WriteFirmware();
  Open(Language::Japanese);
  RunUpdate();
  const std::string text =
      "ファームウェアを書き換える準備ができませんでした．\r\n "
      "ディスクが入っていたり，トレーが動作していると準備ができません．\r\n (asc 05-26-00)";
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, text);
  EXPECT_EQ(presenter.boxes[0].caption, "セットアップ開始エラー");
  EXPECT_EQ(g_logText, "\r\nファームウェアを書き換える準備をしています -> \r\n " + text);
}

TEST_F(UpdateTest, AChunkIsSentAgainWhileTheDriveReportsDmaTimeOutsTwelveTimesAtMost) {
  struct Case {
    const char* name;
    std::string revision;  // 1.28: with kernel part
    nlohmann::json match;
    int failures;
    std::vector<std::string> commandsAfterSwitch;
    int progressAtBox;  // -1: no box, the update completes
  };
  const std::vector<std::string> kernel = PartChunks("fe", 2);
  const std::vector<std::string> normal = PartChunks("f0", 32);
  const std::vector<std::string> normal0to3(normal.begin(), normal.begin() + 3);
  const Case cases[] = {
      {"normal chunk 3, eleven time-outs", "1.29", WriteBufferAt(7, 0xF0, 0x18000), 11,
       Concat<std::string>({normal0to3,
                            std::vector<std::string>(12, "WB7 f0 18000"),
                            std::vector<std::string>(normal.begin() + 4, normal.end()),
                            {"WB5 ff 0", "INQ", "INQ"}}),
       -1},
      {"normal chunk 3, twelve time-outs", "1.29", WriteBufferAt(7, 0xF0, 0x18000), 12,
       Concat<std::string>({normal0to3, std::vector<std::string>(12, "WB7 f0 18000")}), 5},
      {"kernel chunk 1, twelve time-outs", "1.28", WriteBufferAt(7, 0xFE, 0x8000), 12,
       Concat<std::string>({{"WB7 fe 0"}, std::vector<std::string>(12, "WB7 fe 8000")}), 3},
      {"normal chunk 3 after the kernel part, twelve time-outs", "1.28",
       WriteBufferAt(7, 0xF0, 0x18000), 12,
       Concat<std::string>(
           {kernel, {"TUR"}, normal0to3, std::vector<std::string>(12, "WB7 f0 18000")}),
       7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartDrive(DriveFields(c.revision),
               {Fault("write_buffer", Sense("04-08-01"), 1, c.failures, c.match)});
    WriteFirmware();
    Open();
    RunUpdate();
    EXPECT_EQ(Commands(),
              Concat<std::string>(
                  {{"TUR", "TUR"}, CHECK_OEM, {"RB f1", "WB4 ff 0"}, c.commandsAfterSwitch}));
    if (c.progressAtBox < 0) {
      EXPECT_TRUE(presenter.boxes.empty());
      EXPECT_EQ(Progress()->value(), 35);
    } else {
      EXPECT_EQ(BoxTexts(), std::vector<std::string>{DMA_ERROR});
      EXPECT_EQ(progressAtBoxes, std::vector<int>{c.progressAtBox});
      EXPECT_EQ(PaneText(), DisplayText("\r\n" + DMA_ERROR));
    }
    window.reset();
    presenter.boxes.clear();
    progressAtBoxes.clear();
    g_logText.clear();
  }
}

TEST_F(UpdateTest, ADriveThatDoesNotAnswerAfterARestartStopsTheUpdate) {
  struct Case {
    const char* name;
    std::string revision;
    nlohmann::json fault;
    std::string lastCommand;
  };
  const Case cases[] = {
      {"test after the kernel part", "1.28", Fault("test_unit_ready", "no_completion", 3), "TUR"},
      {"a normal chunk", "1.29",
       Fault("write_buffer", "no_completion", 1, 1, WriteBufferAt(7, 0xF0, 0x8000)), "WB7 f0 8000"},
      {"the closing command fails to configure", "1.29",
       Fault("write_buffer", Sense("04-4c-00"), 1, 1, WriteBufferAt(5, 255, 0)), "WB5 ff 0"},
      // The scan at start-up and the check asked first.
      {"INQUIRY after the closing command", "1.29", Fault("inquiry", "no_completion", 3), "INQ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartDrive(DriveFields(c.revision), {c.fault});
    WriteFirmware();
    Open();
    RunUpdate();
    ASSERT_FALSE(Commands().empty());
    EXPECT_EQ(Commands().back(), c.lastCommand);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{NO_RESPONSE});
    EXPECT_EQ(presenter.boxes[0].caption, "Update error");
    EXPECT_EQ(PaneText(), DisplayText("\r\n" + NO_RESPONSE));
    EXPECT_EQ(g_logText.find("Update firmware is complete"), std::string::npos);
    EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
    window.reset();
    presenter.boxes.clear();
    enabledChanges.changes.clear();
    g_logText.clear();
  }
}

TEST_F(UpdateTest, APartFileWithoutItsMarkerIsNotSent) {
  struct Case {
    const char* name;
    std::string revision;
    char normalKind;
    char kernelKind;
    bool kernelFile;  // which file the log names
    std::vector<std::string> lastCommands;
  };
  const Case cases[] = {
      {"normal-part file marked K", "1.29", 'K', 'K', false, {"RB f1", "WB4 ff 0"}},
      {"kernel-part file marked N", "1.28", 'N', 'N', true, {"RB f1", "WB4 ff 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartDrive(DriveFields(c.revision));
    tools::SampleFirmwareSet set;
    set.normalPartKind = c.normalKind;
    set.kernelPartKind = c.kernelKind;
    WriteFirmware(set);
    Open();
    RunUpdate();
    EXPECT_EQ(Commands(), Concat<std::string>({{"TUR", "TUR"}, CHECK_OEM, c.lastCommands}));
    EXPECT_TRUE(presenter.boxes.empty());
    EXPECT_EQ(g_logText, PREPARING + DONE + (c.kernelFile ? KERNEL_START : NORMAL_START) + "\r\n " +
                             (c.kernelFile ? KernelPath() + "is not Kernel file."
                                           : NormalPath() + "is not Nomal file."));
    window.reset();
    g_logText.clear();
  }
}

TEST_F(UpdateTest, MarkerTextsInJapanese) {
  StartDrive(DriveFields("1.29"));
  tools::SampleFirmwareSet set;
  set.normalPartKind = 'K';
  WriteFirmware(set);
  Open(Language::Japanese);
  RunUpdate();
  EXPECT_TRUE(g_logText.ends_with("\r\n " + NormalPath() + "は，ノーマルファイルではありません."))
      << g_logText;
}

TEST_F(UpdateTest, KernelModeAfterTheUpdateAsksToRunItAgain_OkRunsTheWholeUpdateAgain) {
  // The drive needs its kernel part although neither its revision nor its marker says so; the
  // first pass leaves it in kernel mode, where the marker tells the second pass to send it.
  StartDrive({{"inquiry", {{"revision", "1.29"}}}, {"kernel_required", true}});
  WriteFirmware();
  Open();
  RunUpdate();

  const std::string question = "Update of Normal part failure \r\nRestart Normal part update";
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{question});
  EXPECT_EQ(presenter.boxes[0].caption, "Update error");
  EXPECT_EQ(presenter.boxes[0].buttons, BoxButtons::OkCancel);
  EXPECT_EQ(lockedAtBoxes, std::vector<bool>{true});
  EXPECT_EQ(Commands(),
            Concat<std::string>({{"TUR", "TUR"},
                                 CHECK_OEM,
                                 {"RB f1", "WB4 ff 0"},
                                 PartChunks("f0", 32),
                                 {"WB5 ff 0", "INQ"},
                                 {"TUR", "TUR", "RB f1", "INQ", "RB b0", "RB f1", "WB4 ff 0"},
                                 PartChunks("fe", 2),
                                 {"TUR"},
                                 PartChunks("f0", 32),
                                 {"WB5 ff 0", "INQ", "INQ"}}));
  // The log was cleared for the second pass.
  EXPECT_EQ(g_logText, PREPARING + DONE + KERNEL_START + RESTARTING + NORMAL_START + RESTARTING +
                           Success("1.30"));
  EXPECT_EQ(progressAtBoxes, std::vector<int>{34});
  EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
  EXPECT_EQ(DriveVersionLabel(), "1.30");
}

TEST_F(UpdateTest, KernelModeAfterTheUpdate_CancelEndsWithTheKernelModeText) {
  for (const Language language : {Language::English, Language::Japanese}) {
    StartDrive({{"inquiry", {{"revision", "1.29"}}}, {"kernel_required", true}});
    WriteFirmware();
    Open(language);
    laterAnswer = BoxAnswer::Cancel;
    RunUpdate();
    const bool english = language == Language::English;
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text,
              english
                  ? "Update of Normal part failure \r\nRestart Normal part update"
                  : "ファームウェアの書き換えに失敗しました．\r\n もう一度，書き換えを行います．");
    EXPECT_EQ(presenter.boxes[0].caption, english ? "Update error" : "書き込み失敗");
    const std::string answer =
        english ? "Update failure. Drive is Kernel mode. \r\n Please retry firmware update again."
                : "ファームウェアの書き換えに失敗しましたが，\r\n "
                  "ドライブは，再度，ファームウェアの書き換えが可能な状態です．";
    EXPECT_TRUE(g_logText.ends_with(LoadResourceString(126) + answer)) << g_logText;
    EXPECT_EQ(Commands().back(), "INQ");
    EXPECT_EQ(Drive().revision, "0000");
    window.reset();
    presenter.boxes.clear();
    g_logText.clear();
  }
}

TEST_F(UpdateTest, ADriveStillOnItsOldVersionIsNotReportedAsUpdated) {
  // The drive acknowledges the closing command without carrying it out.
  for (const Language language : {Language::English, Language::Japanese}) {
    StartDrive(DriveFields("1.29"),
               {Fault("write_buffer", "drop", 1, 1, WriteBufferAt(5, 255, 0))});
    WriteFirmware();
    Open(language);
    RunUpdate();
    const bool english = language == Language::English;
    const std::string text =
        english ? "Update of firmware failure: the drive reports version 1.29, the firmware file "
                  "holds version 1.30."
                : "ファームウェアの書き換えに失敗しました．ドライブのバージョンは1.29，"
                  "ファームウェアファイルのバージョンは1.30です．";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{text});
    EXPECT_EQ(presenter.boxes[0].caption, english ? "Update error" : "書き込み失敗");
    EXPECT_EQ(g_logText, LoadResourceString(115) + LoadResourceString(116) +
                             LoadResourceString(130) + LoadResourceString(126) + "\r\n" + text);
    EXPECT_EQ(Progress()->value(), 34) << "no final step";
    // The list is read again all the same.
    EXPECT_EQ(Commands().back(), "INQ");
    EXPECT_EQ(Traced(true).back().target, 7);
    EXPECT_EQ(DriveVersionLabel(), "1.29");
    window.reset();
    presenter.boxes.clear();
    g_logText.clear();
  }
}

TEST_F(UpdateTest, AFileCutShortAfterTheCheckStopsBeforeTheShortChunkIsSent) {
  StartDrive(DriveFields("1.29"));
  WriteFirmware();
  Open();
  // Within the pause after the mode switch: after the check, before the first chunk.
  const Milliseconds at = clock.Now() + 4000ms;
  clock.Schedule(at - clock.Now(),
                 [this] { std::filesystem::resize_file(written.normalPart, 3 * 0x8000 + 100); });
  RunUpdate();

  EXPECT_EQ(
      Commands(),
      Concat<std::string>({{"TUR", "TUR"}, CHECK_OEM, {"RB f1", "WB4 ff 0"}, PartChunks("f0", 3)}));
  const std::string text = "File " + NormalPath() + " is not a complete firmware image";
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{text});
  EXPECT_EQ(presenter.boxes[0].caption, "Error");
  EXPECT_EQ(g_logText, PREPARING + DONE + NORMAL_START + "\r\n " + text);
  EXPECT_EQ(progressAtBoxes, std::vector<int>{5});
}

}  // namespace
}  // namespace drvflash::testing
