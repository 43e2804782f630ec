#pragma once

#include <QDialog>
#include <string_view>

#include "ui/message_box_presenter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

// Control ids of the main window.
inline constexpr int IDC_DRIVE_LIST = 1000;
inline constexpr int IDC_OPEN_FIRMWARE_FILE = 1001;
inline constexpr int IDC_FIRMWARE_FILE = 1003;
inline constexpr int IDC_LOG_PANE = 1005;
inline constexpr int IDC_FILE_VERSION = 1012;
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

  // Firmware file: proposes the newest firmware file of the current directory in the file box
  // and its version in the file version label.
  void DiscoverFirmwareFile();
  // The whole text of the firmware file box, as the bytes it was set from.
  std::string FirmwareFileText();

  // A modal box owned by this window; the caller waits until it is closed.
  drvflash::BoxAnswer ShowMessageBox(std::string_view text, std::string_view caption,
                                     drvflash::BoxButtons type);

 protected:
  // The start-up sequence, run once, before the window first appears.
  virtual bool OnInitDialog();

  void showEvent(QShowEvent* event) override;

  // The user chose an entry of the drive list.
  void OnSelchangeDrive();
  // The Open firmware file button.
  void OnOpenFirmwareFile();

 private:
  void SetLogPaneText(std::string_view text);
  void SetFirmwareFileText(const std::string& text);

  QComboBox* m_driveList = nullptr;
  QLabel* m_driveVersion = nullptr;
  QPushButton* m_openFirmwareFile = nullptr;
  QLineEdit* m_firmwareFile = nullptr;
  QLabel* m_fileVersion = nullptr;
  QPlainTextEdit* m_logPane = nullptr;
  bool m_initialized = false;
};
