#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "key_press.h"
#include "update_fixture.h"

namespace drvflash::testing {
namespace {

// Start is refused, or cancelled, before any worker: nothing reaches the drive.
class StartTest : public UpdateTest {
 protected:
  void ExpectNothingStarted() {
    WaitUntilIdle();
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(enabledChanges.changes.empty());
    EXPECT_EQ(toThread.requestCode, 0);
  }
};

TEST_F(StartTest, WhileARequestRunsStartDoesNothing) {
  StartDrive(DriveFields("1.29"));
  WriteFirmware();
  Open();
  const QString pane = PaneText();
  toThread.n_filename = "previous";
  g_busy = 1;
  ClickStart();
  g_busy = 0;
  ExpectNothingStarted();
  EXPECT_TRUE(presenter.boxes.empty());
  EXPECT_EQ(PaneText(), pane);
  EXPECT_EQ(toThread.n_filename, "previous");
}

TEST_F(StartTest, EqualVersionsAreRefusedWithoutAQuestion) {
  StartDrive(DriveFields("1.30"));
  WriteFirmware();
  Open();
  const std::string log = g_logText;
  ClickStart();
  ExpectNothingStarted();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "Drive has been updated to this version");
  EXPECT_EQ(presenter.boxes[0].caption, "Message");
  EXPECT_EQ(presenter.boxes[0].buttons, BoxButtons::Ok);
  EXPECT_EQ(PaneText(), DisplayText("\r\nDrive has been updated to this version"));
  EXPECT_EQ(g_logText, log);
  EXPECT_EQ(toThread.n_filename, NormalPath());
}

TEST_F(StartTest, AFileThatCannotBeOpenedIsNamedInThePaneOnly) {
  for (const Language language : {Language::English, Language::Japanese}) {
    StartDrive(DriveFields("1.29"));
    WriteFirmware();
    Open(language);
    std::filesystem::remove(written.normalPart);
    toThread.n_filename = "previous";
    ClickStart();
    ExpectNothingStarted();
    EXPECT_TRUE(presenter.boxes.empty());
    EXPECT_EQ(PaneText(), DisplayText("\r\n File open error : " + NormalPath()));
    EXPECT_EQ(toThread.n_filename, "previous");
    window.reset();
  }
}

TEST_F(StartTest, WithNoDriveListedNothingIsSentAnywhere) {
  struct Case {
    Language language;
    std::string text;
    std::string caption;
  };
  for (const Case& c : {Case{Language::English, "QTX-517 is not found", "Message"},
                        Case{Language::Japanese, "QTX-517が見つかりません", "確認"}}) {
    // Only another device: the not-found entry addresses target 0, where nothing is listed.
    StartScenario({{"adapters", {{{"targets", {{"0", {{"kind", "other"}}}}}}}}});
    WriteFirmware();
    Open(c.language);
    ClickStart();
    ExpectNothingStarted();
    EXPECT_TRUE(Traced(true).empty());
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text, c.text);
    EXPECT_EQ(presenter.boxes[0].caption, c.caption);
    EXPECT_EQ(PaneText(), DisplayText("\r\n" + c.text));
    window.reset();
    presenter.boxes.clear();
  }
}

TEST_F(StartTest, TheNotFoundEntryAppendedToAnOldListIsNoDriveEither) {
  // A listed drive on target 1, another device on target 0: the address the not-found entry
  // stands for.
  StartScenario(
      {{"adapters", {{{"targets", {{"0", {{"kind", "other"}}}, {"1", {{"kind", "qtx517"}}}}}}}}});
  WriteFirmware();
  Open();
  // A rescan while the layer is unusable keeps the old entries and appends the not-found one.
  StartScenario({{"usable", false}});
  window->ScanDrives();
  window->SelectFirstDrive();
  auto& list = *FindControl<QComboBox>(*window, 1000);
  ASSERT_EQ(list.count(), 2);
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_Down);
  ASSERT_EQ(list.currentIndex(), 1);
  traceLines.str("");

  ClickStart();
  PressKey(*window, nullptr, Qt::Key_F10);
  WaitUntilIdle();
  EXPECT_TRUE(Traced(true).empty());
  ASSERT_EQ(presenter.boxes.size(), 2u);
  EXPECT_EQ(presenter.boxes[0].text, "QTX-517 is not found");
  EXPECT_EQ(presenter.boxes[0].caption, "Message");
  EXPECT_EQ(presenter.boxes[1].text, "QTX-517 is not found");
  EXPECT_EQ(presenter.boxes[1].caption, "information");
}

TEST_F(StartTest, CancelAtTheConfirmationStartsNothing) {
  struct Case {
    Language language;
    std::string text;
    std::string caption;
  };
  for (const Case& c :
       {Case{Language::English, "Update firmware from 1.29 to 1.30", "Message"},
        Case{Language::Japanese, "QTX-517をバージョン1.29から1.30に書き換えます", "確認"}}) {
    StartDrive(DriveFields("1.29"));
    WriteFirmware();
    Open(c.language);
    confirmAnswer = BoxAnswer::Cancel;
    const QString pane = PaneText();
    ClickStart();
    ExpectNothingStarted();
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text, c.text);
    EXPECT_EQ(presenter.boxes[0].caption, c.caption);
    EXPECT_EQ(presenter.boxes[0].buttons, BoxButtons::OkCancel);
    EXPECT_EQ(presenter.boxes[0].owner, window.get());
    EXPECT_EQ(PaneText(), pane);
    EXPECT_EQ(toThread.n_filename, NormalPath());
    window.reset();
    presenter.boxes.clear();
  }
}

TEST_F(StartTest, APathLongerThanTheOldTextLimitIsTakenWhole) {
  const std::filesystem::path deep = folder / std::string(220, 'd');
  std::filesystem::create_directories(deep);
  std::filesystem::current_path(deep);
  folder = deep;
  StartDrive(DriveFields("1.29"));
  WriteFirmware();
  ASSERT_GT(NormalPath().size(), 240u);
  Open();
  RunUpdate();
  EXPECT_EQ(toThread.n_filename, NormalPath());
  EXPECT_TRUE(g_logText.ends_with(LoadResourceString(138))) << g_logText;
  std::filesystem::current_path(folder.parent_path());
  folder = folder.parent_path();
}

}  // namespace
}  // namespace drvflash::testing
