#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <cstring>
#include <map>
#include <thread>

#include "aspi/aspi_layer.h"
#include "drive/request_block.h"
#include "inquiry_data.h"
#include "platform/virtual_clock.h"
#include "scripted_aspi_layer.h"
#include "scripted_file_dialog.h"
#include "window_fixture.h"

namespace drvflash {
namespace {

using testing::ScriptedAspiLayer;
using testing::ScriptedReply;
using testing::SentRequest;

using testing::InquiryData;
class DriveListTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SetActiveClock(&clock);
    SetActiveAspiLayer(&layer);
    SetActiveFileDialogPresenter(&fileDialog);
  }
  void TearDown() override {
    WindowTest::TearDown();
    SetActiveFileDialogPresenter(nullptr);
    SetActiveAspiLayer(nullptr);
    SetActiveClock(nullptr);
  }

  // QTX-517s (or other devices) at (adapter, target); nothing answers anywhere else.
  void Devices(std::map<std::pair<int, int>, std::vector<BYTE>> devices) {
    layer.SetResponder([devices = std::move(devices)](const SentRequest& r) {
      const auto found = devices.find({r.block.SRB_HaId, r.block.SRB_Target});
      return found != devices.end() ? ScriptedReply::Now(ScsiAnswer::Good(found->second))
                                    : ScriptedReply::Now(ScsiAnswer::HostError(HASTAT_SEL_TO));
    });
  }

  QComboBox& DriveList() { return *FindControl<QComboBox>(*window, 1000); }
  QString DriveVersion() { return FindControl<QLabel>(*window, 1013)->text(); }
  QStringList Entries() {
    QStringList entries;
    for (int i = 0; i < DriveList().count(); ++i)
      entries << DriveList().itemText(i);
    return entries;
  }
  // Chooses entry `index` as a user does: open the list, pick with the keyboard.
  void UserChooses(int index) {
    QComboBox& list = DriveList();
    list.setFocus();
    while (list.currentIndex() < index)
      QTest::keyClick(&list, Qt::Key_Down);
    while (list.currentIndex() > index)
      QTest::keyClick(&list, Qt::Key_Up);
  }

  VirtualClock clock;
  ScriptedAspiLayer layer;
  ScriptedFileDialog fileDialog;
};

TEST_F(DriveListTest, StartUpListsTheDrivesInScanOrderAndSelectsTheFirst) {
  layer.SetAdapters({"SIM HOST ADAPTER"});
  Devices({{{0, 3}, InquiryData("ROZUVAZ ", "QTX-517", "1.30")},
           {{0, 1}, InquiryData("ZEPHRA  ", "QTX-517", "1.28")},
           {{0, 4}, InquiryData("ACME", "DISK", "0001")}});
  OpenWindow(Language::English);

  EXPECT_EQ(Entries(), (QStringList{
                           "HA=0 ID=1 SIM HOST ADAPTER  ZEPHRA  QTX-517          (ver1.28)",
                           "HA=0 ID=3 SIM HOST ADAPTER  ROZUVAZ QTX-517          (ver1.30)",
                       }));
  EXPECT_EQ(DriveList().currentIndex(), 0);
  EXPECT_EQ(g_haId, 0);
  EXPECT_EQ(g_targetId, 1);
  EXPECT_EQ(DriveVersion(), "1.28");

  UserChooses(1);
  EXPECT_EQ(g_targetId, 3);
  EXPECT_EQ(DriveVersion(), "1.30");

  DriveList().setCurrentIndex(0);  // a programmatic selection is not the user's choice
  EXPECT_EQ(g_targetId, 3);
}

TEST_F(DriveListTest, AdapterNumbersAreHexAndComeBackWhenChosen) {
  std::vector<std::string> adapters(11, "HBA");
  layer.SetAdapters(adapters);
  Devices({{{0, 0}, InquiryData("ROZUVAZ ", "QTX-517", "1.30")},
           {{10, 2}, InquiryData("ZEPHRA  ", "QTX-517", "1.28")}});
  OpenWindow(Language::English);

  ASSERT_EQ(Entries().size(), 2);
  EXPECT_TRUE(Entries()[1].startsWith("HA=a ID=2 HBA  ")) << Entries()[1].toStdString();
  UserChooses(1);
  EXPECT_EQ(g_haId, 10);
  EXPECT_EQ(g_targetId, 2);
}

TEST_F(DriveListTest, NoDriveGivesTheNotFoundEntryInTheResourceLanguageAndAddressZero) {
  for (const auto& [language, text] : {std::pair{Language::English, "QTX-517 is not found"},
                                       std::pair{Language::Japanese, "QTX-517が見つかりません"}}) {
    layer.SetAdapters({"A"});
    Devices({{{0, 4}, InquiryData("ACME", "DISK", "0001")}});
    g_haId = 5;
    g_targetId = 6;
    OpenWindow(language);
    EXPECT_EQ(Entries(), QStringList{QString::fromUtf8(text)});
    EXPECT_EQ(g_haId, 0);
    EXPECT_EQ(g_targetId, 0);
    EXPECT_EQ(DriveVersion(), "???") << "the not-found entry has no version";
  }
}

TEST_F(DriveListTest, RescanWhileTheLayerIsUnusableAppendsNotFoundToTheOldList) {
  layer.SetAdapters({"A"});
  Devices({{{0, 1}, InquiryData("ROZUVAZ ", "QTX-517", "1.30")}});
  OpenWindow(Language::English);
  UserChooses(0);

  layer.SetSupportStatus(SS_NO_ASPI);
  window->ScanDrives();
  window->SelectFirstDrive();
  EXPECT_EQ(Entries(), (QStringList{"HA=0 ID=1 A  ROZUVAZ QTX-517          (ver1.30)",
                                    "QTX-517 is not found"}));
  UserChooses(1);
  EXPECT_EQ(g_targetId, 0) << "the not-found entry addresses nothing the scan listed";
  EXPECT_EQ(DriveVersion(), "1.30") << "and leaves the version label as it was";
}

TEST_F(DriveListTest, TypedTextNeverBecomesAnEntryNorAnAddress) {
  layer.SetAdapters({"A"});
  Devices({{{0, 1}, InquiryData("ROZUVAZ ", "QTX-517", "1.30")}});
  OpenWindow(Language::English);

  QLineEdit* edit = DriveList().lineEdit();
  ASSERT_NE(edit, nullptr);
  edit->selectAll();
  QTest::keyClicks(edit, "HA=7 ID=5 X  Y (ver9.99)");
  QTest::keyClick(edit, Qt::Key_Return);

  EXPECT_EQ(fileDialog.shown, 1) << "Return goes on to the default button, Open firmware file";
  EXPECT_EQ(DriveList().count(), 1);
  EXPECT_EQ(g_haId, 0);
  EXPECT_EQ(g_targetId, 1);
  EXPECT_EQ(DriveVersion(), "1.30");
}

TEST_F(DriveListTest, ScanFromAWorkerFillsTheListWhileTheWindowKeepsRunning) {
  layer.SetAdapters({"A"});
  OpenWindow(Language::English);
  ASSERT_EQ(Entries(), QStringList{"QTX-517 is not found"});

  Devices({{{0, 2}, InquiryData("ZEPHRA  ", "QTX-517", "1.31")}});
  std::atomic<bool> done = false;
  std::thread worker([&] {
    window->ScanDrives();
    window->SelectFirstDrive();
    done = true;
  });
  while (!QTest::qWaitFor([&] { return done.load(); }, 50)) {
  }
  worker.join();
  EXPECT_EQ(Entries(), QStringList{"HA=0 ID=2 A  ZEPHRA  QTX-517          (ver1.31)"});
  EXPECT_EQ(DriveVersion(), "1.31");
  EXPECT_EQ(g_targetId, 2);
}

}  // namespace
}  // namespace drvflash
