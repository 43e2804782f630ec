#pragma once

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <memory>
#include <optional>

#include "messages/built_in_text.h"
#include "messages/progress_log.h"
#include "messages/resource_language.h"
#include "recording_presenter.h"
#include "ui/control_id.h"
#include "ui/updater_dlg.h"

namespace drvflash {

// A fresh process state for each test: empty log, code page not yet read, boxes recorded.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_logText.clear();
    g_codePage = 0;
    SetActiveMessageBoxPresenter(&presenter);
  }

  void TearDown() override {
    window.reset();
    SetActiveMessageBoxPresenter(nullptr);
    SetResourceLanguage(std::nullopt);
    g_logText.clear();
    g_codePage = 0;
  }

  // Opens the main window with resources in `language`; its start-up runs as it appears.
  CUpdaterDlg& OpenWindow(Language language) {
    SetResourceLanguage(language);
    window = std::make_unique<CUpdaterDlg>();
    window->show();
    return *window;
  }

  QPlainTextEdit& LogPane() {
    auto* pane = FindControl<QPlainTextEdit>(*window, 1005);
    EXPECT_NE(pane, nullptr);
    return *pane;
  }

  QString PaneText() { return LogPane().toPlainText(); }

  RecordingPresenter presenter;
  std::unique_ptr<CUpdaterDlg> window;
};

}  // namespace drvflash
