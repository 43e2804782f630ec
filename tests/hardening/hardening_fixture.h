#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <string>
#include <vector>

#include "update_fixture.h"

namespace drvflash::testing {

// The update fixture, plus what every faulty run must show whatever the fault: the request
// ended with the controls back, it said what happened, success only on the new firmware, and
// no WRITE BUFFER after the first box.
class HardeningTest : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    // A later OK to the kernel-mode question would run the update again under the same fault.
    laterAnswer = BoxAnswer::Cancel;
    atBox = [this] {
      if (commandsAtFirstBox < 0) {
        commandsAtFirstBox = static_cast<int>(Traced().size());
      }
    };
  }

  static nlohmann::json Rule(const std::string& command, const nlohmann::json& match, int from,
                             int count, const nlohmann::json& result) {
    nlohmann::json rule = match;
    rule["ha"] = 0;
    rule["target"] = 1;
    rule["command"] = command;
    rule["from"] = from;
    rule["count"] = count;
    rule["result"] = result;
    return rule;
  }

  // RunUpdate, serving the worker's calls to the window as they come rather than at qWaitFor's
  // 10 ms steps: a matrix of hundreds of updates stays within seconds.
  void RunUpdateServed() {
    ClickStart();
    QTimer wake;  // the worker's last step posts nothing: look again now and then
    wake.start(5);
    QElapsedTimer elapsed;
    elapsed.start();
    while (RunningWorkers() != 0 && elapsed.elapsed() < 60000) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ASSERT_EQ(RunningWorkers(), 0) << "the request did not end";
    EXPECT_EQ(g_busy.load(), 0);
    ASSERT_FALSE(presenter.boxes.empty());
    ASSERT_TRUE(IsConfirmation(presenter.boxes.front())) << presenter.boxes.front().text;
    presenter.boxes.erase(presenter.boxes.begin());
  }

  bool Succeeded() const {
    return g_logText.find("Update firmware is complete") != std::string::npos;
  }

  void ExpectSoundEnd() {
    EXPECT_EQ(enabledChanges.changes, LOCK_AND_UNLOCK) << "the controls come back";
    EXPECT_EQ(Succeeded(), presenter.boxes.empty())
        << "a success line or a box: " << g_logText << " | "
        << ::testing::PrintToString(BoxTexts());
    if (Succeeded()) {
      EXPECT_EQ(Drive().revision, "1.30");
      EXPECT_FALSE(Drive().kernelMode);
      EXPECT_FALSE(Drive().downloadMode);
    }
    if (commandsAtFirstBox >= 0) {
      const std::vector<TracedCommand> traced = Traced();
      for (std::size_t at = static_cast<std::size_t>(commandsAtFirstBox); at < traced.size();
           ++at) {
        EXPECT_FALSE(traced[at].name.starts_with("WB")) << traced[at].name << " after a box";
      }
    }
  }

  // Back to a closed window for the next run of a loop.
  void Reset() {
    CloseAndForget();
    commandsAtFirstBox = -1;
  }

  int commandsAtFirstBox = -1;
};

}  // namespace drvflash::testing
