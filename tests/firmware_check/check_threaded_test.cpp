#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>

#include "check_fixture.h"
#include "modal_box_driver.h"
#include "ui/display_text.h"

namespace drvflash::testing {
namespace {

// The check where the update runs it: on a worker, while this thread runs the event loop.
class ThreadedCheckTest : public CheckTest {
 protected:
  int CheckOnWorker(const std::string& path) {
    toThread.n_filename = path;
    std::atomic<bool> done{false};
    int result = -1;
    std::thread worker([&] {
      result = CheckFirmwareFile(toThread);
      done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 20000);
    worker.join();
    EXPECT_TRUE(finished);
    return result;
  }
};

TEST_F(ThreadedCheckTest, AKernelModeDrivePassesWithItsKernelPart) {
  StartDrive(R"("inquiry": {"revision": "0000"}, "kernel_marker": true)");
  const std::string path = WriteFirmware(NormalPart(), KernelPart());

  EXPECT_EQ(CheckOnWorker(path), CHECK_PASSED);
  EXPECT_EQ(g_kernelUpdate, 1);
  EXPECT_EQ(toThread.firmwareVersion, "1.30");
  EXPECT_TRUE(presenter.boxes.empty());
  EXPECT_EQ(Commands(), (std::vector<std::string>{"READ BUFFER f1", "INQUIRY", "READ BUFFER b0"}));
}

// A refusal shows a real box that the worker waits on, and only then enters the log.
TEST_F(ThreadedCheckTest, ARefusalWaitsForItsBoxBeforeTheLog) {
  UseLanguage(Language::Japanese);
  SetActiveMessageBoxPresenter(nullptr);
  StartDrive(R"("inquiry": {"revision": "1.28"})");
  const std::string path =
      WriteFirmware(NormalPart(Identity("1.30", "HW-REV01", "MORIC   ")), KernelPart());
  const std::string useFileFor = "ZEPHRA  ドライブ用のファームウェアファイルをご使用下さい.";

  bool boxSeen = false;
  WhenMessageBoxOpens([&](QMessageBox& box) {
    boxSeen = true;
    // The lone CR breaks the line in the box.
    EXPECT_EQ(box.text(),
              DisplayText("ファームウェアファイルT58AB1CD.130を書き込むことはできません．\n" +
                          useFileFor));
    EXPECT_EQ(box.windowTitle(), "モデル名不一致");
    EXPECT_EQ(box.parentWidget(), window.get());
    EXPECT_EQ(g_logText, "");
    box.button(QMessageBox::Ok)->click();
  });

  EXPECT_EQ(CheckOnWorker(path), CHECK_STOPPED);
  EXPECT_TRUE(boxSeen);
  EXPECT_EQ(g_kernelUpdate, 1);
  EXPECT_EQ(g_logText, "\r\n " + useFileFor);
  EXPECT_EQ(toThread.firmwareVersion, "");
}

}  // namespace
}  // namespace drvflash::testing
