#pragma once

#include <QDialog>
#include <string_view>

#include "ui/message_box_presenter.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QShowEvent;

// Control ids of the main window.
inline constexpr int IDC_DRIVE_LIST = 1000;
inline constexpr int IDC_LOG_PANE = 1005;
inline constexpr int IDC_DRIVE_VERSION = 1013;

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

  // Drive list: fills it with every QTX-517 found (on the calling thread's requests), selects
  // its first entry, and applies the selected entry to the drive address and version label.
  void ScanDrives();
  void SelectFirstDrive();
  void ApplyDriveSelection();

  // A modal box owned by this window; the caller waits until it is closed.
  drvflash::BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                                     drvflash::BoxButtons type);

 protected:
  // The start-up sequence, run once, before the window first appears.
  virtual bool OnInitDialog();

  void showEvent(QShowEvent* event) override;

  // The user chose an entry of the drive list.
  void OnSelchangeDrive();

 private:
  void SetLogPaneText(std::string_view text);

  QComboBox* m_driveList = nullptr;
  QLabel* m_driveVersion = nullptr;
  QPlainTextEdit* m_logPane = nullptr;
  bool m_initialized = false;
};
