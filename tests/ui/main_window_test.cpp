#include <gtest/gtest.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstring>

#include "aspi/aspi_layer.h"
#include "drive/busy_flag.h"
#include "drive/transfer_buffers.h"
#include "key_press.h"
#include "platform/virtual_clock.h"
#include "scripted_aspi_layer.h"
#include "scripted_file_dialog.h"
#include "ui/about_dlg.h"
#include "ui/startup_notes.h"
#include "update/update_thread.h"
#include "window_fixture.h"

namespace drvflash {
namespace {

using testing::ScriptedAspiLayer;
using testing::ScriptedReply;
using testing::SentRequest;

// A drive on adapter 0, target 1 that answers INQUIRY and the identification block; no other
// device answers.
ScriptedReply Answer(const SentRequest& request) {
  if (request.block.SRB_Target != 1) {
    return ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO));
  }
  std::vector<BYTE> data(254, ' ');
  if (request.block.CDBByte[0] == 0x12) {
    std::memcpy(&data[8], "ROZUVAZ QTX-517", 15);
    std::memcpy(&data[32], "1.30", 4);
  } else {
    data.resize(48);
    std::memcpy(data.data(), "SERIAL0123456789HW-REV01ROZUVAZ STD     ", 40);
  }
  return ScriptedReply::Now(ScsiAnswer::Good(data));
}

class MainWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetActiveClock(&clock);
    SetActiveAspiLayer(&layer);
    SetActiveFileDialogPresenter(&fileDialog);
    layer.SetAdapters({"SIM"});
  }
  void TearDown() override {
    ASSERT_TRUE(QTest::qWaitFor([] { return RunningWorkers() == 0; }, 60000));
    g_busy = 0;
    WindowTest::TearDown();
    SetStartupNotes({});
    SetActiveFileDialogPresenter(nullptr);
    SetActiveAspiLayer(nullptr);
    SetActiveClock(nullptr);
  }
  void WithDrive() {
    layer.SetResponder([](const SentRequest& r) { return Answer(r); });
  }
  // Runs `inspect` on the modal window or menu that the next step opens, then closes it.
  void OnNextModal(std::function<void(QWidget&)> inspect) {
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
      QWidget* modal = QApplication::activePopupWidget();
      if (modal == nullptr)
        modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      inspect(*modal);
    });
  }

  VirtualClock clock;
  ScriptedAspiLayer layer;
  ScriptedFileDialog fileDialog;
};

TEST_F(MainWindowTest, StartUpFillsTheWindowInOrderInBothLanguages) {
  struct Case {
    Language language;
    bool drive;
    const char* driveEntry;
    const char* driveVersion;
    const char* fileBox;
  };
  const Case cases[] = {
      {Language::English, true, "HA=0 ID=1 SIM  ROZUVAZ QTX-517          (ver1.30)", "1.30",
       "Select firmware file to update"},
      {Language::English, false, "QTX-517 is not found", "???", "Select firmware file to update"},
      {Language::Japanese, false, "QTX-517が見つかりません", "???",
       "ファームウェアファイルを選択してください"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.driveEntry);
    if (c.drive) {
      WithDrive();
    } else {
      layer.SetResponder(nullptr);
      layer.SetDefault(ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO)));
    }
    SetStartupNotes({{"\r\nnote", "\r\n注意"}});
    g_readBuffer = nullptr;
    CUpdaterDlg& dialog = OpenWindow(c.language);

    EXPECT_NE(g_readBuffer, nullptr) << "transfer buffers allocated";
    EXPECT_EQ(g_codePage == 932 || g_codePage == 437, true);
    auto* list = FindControl<QComboBox>(dialog, 1000);
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->itemText(0), QString::fromUtf8(c.driveEntry));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_EQ(FindControl<QLabel>(dialog, 1013)->text(), c.driveVersion);
    EXPECT_EQ(FindControl<QLineEdit>(dialog, 1003)->text(), QString::fromUtf8(c.fileBox));
    auto* progress = FindControl<QProgressBar>(dialog, 1006);
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 35);
    EXPECT_EQ(progress->value(), 0);
    EXPECT_TRUE(g_logText.ends_with(BuiltInText("\r\nnote", "\r\n注意")))
        << "start-up notes follow the attention text";
    EXPECT_EQ(dialog.focusWidget(), list) << "the focus starts on the drive list";
    EXPECT_FALSE(dialog.windowIcon().isNull());
  }
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileARequestRunsAndReleasesTheBuffersAfter) {
  CUpdaterDlg& dialog = OpenWindow(Language::English);
  g_busy = 1;
  PressKey(dialog, nullptr, Qt::Key_Escape);
  dialog.close();
  dialog.OnSysCommand(SC_CLOSE);
  QTest::mouseClick(FindControl<QPushButton>(dialog, 2), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(g_readBuffer, nullptr);

  g_busy = 0;
  PressKey(dialog, nullptr, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(g_readBuffer, nullptr) << "closing released the transfer buffers";
}

TEST_F(MainWindowTest, ClosingIsRefusedFromTheMomentARequestIsStarted) {
  WithDrive();
  CUpdaterDlg& dialog = OpenWindow(Language::English);
  // The worker may not have set the busy flag yet: it waits for this thread to serve its calls.
  dialog.StartDriveInfoReport();
  dialog.close();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(g_readBuffer, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([] { return RunningWorkers() == 0; }, 60000));
  dialog.close();
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MainWindowTest, CloseButtonAndCloseBoxCloseWhenIdle) {
  CUpdaterDlg& first = OpenWindow(Language::English);
  QTest::mouseClick(FindControl<QPushButton>(first, 2), Qt::LeftButton);
  EXPECT_FALSE(first.isVisible());
  CUpdaterDlg& second = OpenWindow(Language::English);
  second.close();
  EXPECT_FALSE(second.isVisible());
  EXPECT_EQ(g_readBuffer, nullptr);
}

TEST_F(MainWindowTest, F10FromAnyControlStartsOneReportAndStillReachesTheControl) {
  WithDrive();
  CUpdaterDlg& dialog = OpenWindow(Language::English);
  for (const int id : {1000, 1001, 1003, 1005, 1007, 2}) {
    SCOPED_TRACE(id);
    presenter.boxes.clear();
    QWidget* control = FindControl(dialog, id);
    int seen = 0;
    struct Spy : QObject {
      int* seen;
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress)
          ++*seen;
        return false;
      }
    } spy;
    spy.seen = &seen;
    control->installEventFilter(&spy);
    PressKey(dialog, control, Qt::Key_F10);
    control->removeEventFilter(&spy);
    ASSERT_TRUE(QTest::qWaitFor([] { return RunningWorkers() == 0 && g_busy == 0; }, 60000));
    ASSERT_EQ(presenter.boxes.size(), 1u) << "one report per press";
    EXPECT_EQ(presenter.boxes[0].caption, "information");
    EXPECT_EQ(presenter.boxes[0].text, "ROZUVAZ \r\nserial number : SERIAL0123456789");
    EXPECT_GE(seen, 1) << "the control still gets the key";
  }
}

TEST_F(MainWindowTest, SpaceAndReturnPressButtonsWithoutAMouse) {
  CUpdaterDlg& dialog = OpenWindow(Language::English);
  PressKey(dialog, FindControl(dialog, 1001), Qt::Key_Space);
  EXPECT_EQ(fileDialog.shown, 1) << "Space presses the focused Open button";
  PressKey(dialog, FindControl(dialog, 1000), Qt::Key_Return);
  EXPECT_EQ(fileDialog.shown, 2) << "Return presses the default button, Open firmware file";
  PressKey(dialog, FindControl(dialog, 1005), Qt::Key_Return);
  PressKey(dialog, FindControl(dialog, 1005), Qt::Key_Enter);
  EXPECT_EQ(fileDialog.shown, 2) << "the log pane keeps Return to itself";
  PressKey(dialog, FindControl(dialog, 1007), Qt::Key_Space);
  ASSERT_TRUE(QTest::qWaitFor([] { return RunningWorkers() == 0; }, 60000));
  ASSERT_EQ(presenter.boxes.size(), 1u) << "Space presses Start: no drive is listed";
  EXPECT_EQ(presenter.boxes[0].text, "QTX-517 is not found");
}

TEST_F(MainWindowTest, SystemCommands16To31OpenTheAboutBoxAndOthersDoNot) {
  CUpdaterDlg& dialog = OpenWindow(Language::English);
  for (const unsigned id : {16u, 17u, 31u}) {
    bool about = false;
    OnNextModal([&](QWidget& modal) {
      about = qobject_cast<CAboutDlg*>(&modal) != nullptr && modal.parentWidget() == &dialog;
      QTest::keyClick(&modal, Qt::Key_Escape);
    });
    dialog.OnSysCommand(id);
    EXPECT_TRUE(about) << id;
  }
  for (const unsigned id : {32u, 0u, 48u}) {
    dialog.OnSysCommand(id);  // returns at once: no modal box to close
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << id;
  }
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(MainWindowTest, TheContextMenuCarriesTheAboutEntry) {
  for (const auto& [language, text] :
       {std::pair{Language::English, "drvflash version(&A)..."},
        std::pair{Language::Japanese, "drvflashのﾊﾞｰｼﾞｮﾝ情報(&A)..."}}) {
    CUpdaterDlg& dialog = OpenWindow(language);
    bool aboutOpened = false;
    OnNextModal([&](QWidget& popup) {
      auto* menu = qobject_cast<QMenu*>(&popup);
      ASSERT_NE(menu, nullptr);
      ASSERT_EQ(menu->actions().size(), 1);
      EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8(text));
      OnNextModal([&](QWidget& about) {
        aboutOpened = qobject_cast<CAboutDlg*>(&about) != nullptr;
        about.close();
      });
      menu->actions()[0]->trigger();
      menu->close();
    });
    QWidget* label = FindControl(dialog, 1010);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &event);
    EXPECT_TRUE(aboutOpened);
  }
}

}  // namespace
}  // namespace drvflash
