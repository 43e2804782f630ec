#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "modal_box_driver.h"
#include "window_fixture.h"

namespace drvflash {
namespace {

// Everything the user could see happen, in order: each new pane text, each box, and each
// return of an operation to its caller.
class Effects {
 public:
  void Add(std::string effect) {
    std::lock_guard guard(mutex_);
    effects_.push_back(std::move(effect));
  }
  std::vector<std::string> Take() {
    std::lock_guard guard(mutex_);
    return std::exchange(effects_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> effects_;
};

// A run of a worker pass: clear, append, a failure triple, a question, single lines.
void RunLogOperations(CUpdaterDlg& window, Effects& effects) {
  window.ClearLog();
  effects.Add("returned ClearLog");
  window.AppendLogString(115);
  effects.Add("returned AppendLogString");
  window.AppendLogString(116);
  effects.Add("returned AppendLogString");
  window.ShowMessageAndLogLine(112, 113, 114, BoxButtons::Ok);
  effects.Add("returned ShowMessageAndLogLine");
  window.AppendLogText("\r\nnext");
  effects.Add("returned AppendLogText");
  const BoxAnswer answer = window.ShowMessageBox("Retry?", "Update error", BoxButtons::OkCancel);
  effects.Add(answer == BoxAnswer::Ok ? "returned ShowMessageBox OK"
                                      : "returned ShowMessageBox Cancel");
  window.ShowLogLine("\r\nalone");
  effects.Add("returned ShowLogLine");
  window.AppendLogText("");
  effects.Add("returned AppendLogText");
  window.ShowAttentionText();
  effects.Add("returned ShowAttentionText");
}

class WorkerToWindowTest : public WindowTest {
 protected:
  // Records every text the pane is given and every box, as they happen on the window thread.
  void Observe() {
    QObject::connect(&LogPane(), &QPlainTextEdit::textChanged, &LogPane(), [this] {
      effects.Add("pane " + PaneText().toStdString() + (IsWindowThread() ? "" : " OFF-THREAD"));
    });
    presenter.onPresent = [this](const PresentedBox& box) {
      effects.Add("box " + box.caption + ": " + box.text +
                  (box.onWindowThread ? "" : " OFF-THREAD"));
    };
  }

  // Runs `work` on a worker while this thread keeps running the event loop.
  void OnWorker(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      work();
      done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 20000);
    worker.join();
    ASSERT_TRUE(finished);
  }

  Effects effects;
};

TEST_F(WorkerToWindowTest, OperationsFromAWorkerHaveTheSameEffectsInTheSameOrder) {
  OpenWindow(Language::English);
  Observe();
  presenter.answer = BoxAnswer::Cancel;

  RunLogOperations(*window, effects);
  const std::vector<std::string> onWindowThread = effects.Take();
  const std::string logAfterWindowThread = g_logText;
  const QString paneAfterWindowThread = PaneText();
  effects.Take();

  OnWorker([&] { RunLogOperations(*window, effects); });
  const std::vector<std::string> onWorker = effects.Take();

  EXPECT_EQ(onWorker, onWindowThread);
  EXPECT_EQ(g_logText, logAfterWindowThread);
  EXPECT_EQ(PaneText(), paneAfterWindowThread);
  // The sequence shows the effects before the returns and nothing off the window thread.
  ASSERT_GE(onWorker.size(), 4u);
  EXPECT_EQ(onWorker[0], "returned ClearLog");
  EXPECT_TRUE(onWorker[1].starts_with("pane \nPreparing for update firmware -> ")) << onWorker[1];
  EXPECT_EQ(onWorker.back(), "returned ShowAttentionText");
  for (const std::string& effect : onWorker) {
    EXPECT_FALSE(effect.ends_with("OFF-THREAD")) << effect;
  }
  ASSERT_EQ(presenter.boxes.size(), 4u);
  EXPECT_EQ(presenter.boxes[2].owner, window.get());
}

TEST_F(WorkerToWindowTest, ARealBoxAskedForByAWorkerBlocksItWhileTheWindowKeepsServing) {
  OpenWindow(Language::English);
  SetActiveMessageBoxPresenter(nullptr);
  std::atomic<bool> workerPastBox{false};
  bool workerWaitedForBox = false;
  int ticksWhileBoxOpen = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ++ticksWhileBoxOpen; });

  WhenMessageBoxOpens([&](QMessageBox& box) {
    EXPECT_EQ(box.text(), "Drive has been updated to this version");
    EXPECT_EQ(box.windowTitle(), "Message");
    tick.start(1);
    // The box stays open while the window thread goes on dispatching events.
    QTest::qWait(50);
    workerWaitedForBox = !workerPastBox.load();
    tick.stop();
    box.button(QMessageBox::Ok)->click();
  });
  OnWorker([&] {
    window->ShowMessageAndLogLine(109, 110, 111, BoxButtons::Ok);
    workerPastBox = true;
  });

  EXPECT_TRUE(workerWaitedForBox);
  EXPECT_GT(ticksWhileBoxOpen, 0);
  EXPECT_EQ(PaneText(), "\nDrive has been updated to this version");
}

TEST(WindowThreadCheckDeathTest, TouchingAWidgetOffTheWindowThreadEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        std::thread worker([] { RequireWindowThread("SetLogPaneText"); });
        worker.join();
      },
      "SetLogPaneText touches a widget off the window thread");
}

}  // namespace
}  // namespace drvflash
