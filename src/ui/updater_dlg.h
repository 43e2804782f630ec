#pragma once

#include <QDialog>
#include <string_view>

#include "ui/message_box_presenter.h"

class QPlainTextEdit;
class QShowEvent;

// Control ids of the main window.
inline constexpr int IDC_LOG_PANE = 1005;

// The main window. Every public operation may be called from a worker thread: it is applied on
// the window's thread before it returns.
class CUpdaterDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CUpdaterDlg(QWidget* parent = nullptr);

  // Progress log.
  void AppendLogText(std::string_view text);
  void AppendLogString(unsigned id);
  void ShowLogLine(std::string_view text);
  void ShowMessageAndLogLine(unsigned textId, unsigned captionId, unsigned logLineId,
                             drvflash::BoxButtons type);
  void ClearLog();
  void ShowAttentionText();

  // A modal box owned by this window; the caller waits until it is closed.
  drvflash::BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                                     drvflash::BoxButtons type);

 protected:
  // The start-up sequence, run once, before the window first appears.
  virtual bool OnInitDialog();

  void showEvent(QShowEvent* event) override;

 private:
  void SetLogPaneText(std::string_view text);

  QPlainTextEdit* m_logPane = nullptr;
  bool m_initialized = false;
};
