#include <QTest>

#include "key_press.h"
#include "update_fixture.h"

namespace drvflash::testing {
namespace {

class DriveInfoTest : public UpdateTest {
 protected:
  void PressF10(Qt::KeyboardModifiers modifiers = Qt::NoModifier, QWidget* control = nullptr) {
    PressKey(*window, control, Qt::Key_F10, modifiers);
  }
};

TEST_F(DriveInfoTest, F10ShowsTheVendorIdAndTheWholeSerialNumber) {
  struct Case {
    const char* name;
    nlohmann::json idBlock;
    Qt::KeyboardModifiers modifiers;
    std::string text;
  };
  const Case cases[] = {
      {"sixteen characters of serial, not one of the hardware version",
       {{"serial", "SERIAL0123456789"}, {"vendor", "ZEPHRA  "}},
       Qt::NoModifier,
       "ZEPHRA  \r\nserial number : SERIAL0123456789"},
      {"the maker's id as it stands, trailing space included; Alt, on the log pane",
       {{"serial", "AB12"}, {"vendor", "ROZUVAZ "}},
       Qt::AltModifier,
       "ROZUVAZ \r\nserial number : AB12            "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartDrive(DriveFields("1.29", c.idBlock));
    Open();
    const QString pane = PaneText();
    PressF10(c.modifiers, c.modifiers == Qt::AltModifier ? &LogPane() : nullptr);
    WaitUntilIdle();
    EXPECT_EQ(Commands(), std::vector<std::string>{"RB f1"});
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text, c.text);
    EXPECT_EQ(presenter.boxes[0].caption, "information");
    EXPECT_EQ(presenter.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(presenter.boxes[0].owner, window.get());
    EXPECT_EQ(lockedAtBoxes, std::vector<bool>{true});
    EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
    EXPECT_TRUE(g_logText.empty()) << "the frame empties the log";
    EXPECT_EQ(PaneText(), pane) << "but the pane keeps its text";
    EXPECT_TRUE(clock.Pauses().empty());
    CloseAndForget();
  }
}

TEST_F(DriveInfoTest, AnUnreadIdentificationBlockIsSaidSoNotShownFromStaleBytes) {
  for (const Language language : {Language::English, Language::Japanese}) {
    StartDrive(DriveFields("1.29"), {{{"ha", 0},
                                      {"target", 1},
                                      {"command", "read_buffer"},
                                      {"buffer_id", 0xF1},
                                      {"from", 1},
                                      {"count", -1},
                                      {"result", {{"sense", "04-44-00"}}}}});
    Open(language);
    PressF10();
    WaitUntilIdle();
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].text, language == Language::English
                                           ? "Reading drive information failure (asc 04-44-00)"
                                           : "ドライブの情報を読み取ることができませんでした．\r\n"
                                             "コンピュータの電源を切り，接続を確認してください．");
    EXPECT_EQ(presenter.boxes[0].caption, "information");
    window.reset();
    presenter.boxes.clear();
  }
}

TEST_F(DriveInfoTest, WithNoDriveListedF10AddressesNothing) {
  StartScenario({{"adapters", {{{"targets", {{"0", {{"kind", "other"}}}}}}}}});
  Open(Language::Japanese);
  PressF10();
  WaitUntilIdle();
  EXPECT_TRUE(Traced(true).empty());
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "QTX-517が見つかりません");
  EXPECT_EQ(presenter.boxes[0].caption, "information");
}

TEST_F(DriveInfoTest, F10DuringAnUpdateShowsNothingAndCannotTurnItsRerunIntoAReport) {
  // The update leaves the drive in kernel mode and asks to run again; F10 is pressed while the
  // question is open, then the question is answered OK.
  StartDrive({{"inquiry", {{"revision", "1.29"}}}, {"kernel_required", true}});
  WriteFirmware();
  Open();
  int workersAtBox = -1;
  atBox = [&] {
    atBox = nullptr;
    PressF10();
    EXPECT_EQ(toThread.requestCode, REQUEST_DRIVE_INFO);
    // The second worker finds the update running and ends at once.
    EXPECT_TRUE(QTest::qWaitFor([] { return RunningWorkers() == 1; }, 10000));
    workersAtBox = RunningWorkers();
  };
  RunUpdate();
  EXPECT_EQ(workersAtBox, 1);
  // Only the kernel-mode question: no report box, and the rerun updated the drive.
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].caption, "Update error");
  EXPECT_TRUE(g_logText.ends_with(LoadResourceString(138))) << g_logText;
  EXPECT_EQ(Drive().revision, "1.30");
  EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK);
}

}  // namespace
}  // namespace drvflash::testing
