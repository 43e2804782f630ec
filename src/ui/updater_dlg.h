#pragma once

#include <QDialog>
#include <QIcon>
#include <string_view>

#include "ui/message_box_presenter.h"
#include "ui/resources/dialog_templates.h"

class QComboBox;
class QContextMenuEvent;
class QKeyEvent;
class QPaintEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QShowEvent;

// Control ids of the main window.
inline constexpr int IDC_DRIVE_LIST = 1000;
inline constexpr int IDC_OPEN_FIRMWARE_FILE = 1001;
inline constexpr int IDC_FIRMWARE_FILE = 1003;
inline constexpr int IDC_LOG_PANE = 1005;
inline constexpr int IDC_PROGRESS = 1006;
inline constexpr int IDC_START = 1007;
inline constexpr int IDC_FILE_VERSION = 1012;
inline constexpr int IDC_DRIVE_VERSION = 1013;
inline constexpr int IDCANCEL = IDCANCEL_BUTTON;

// Steps of the progress bar: a complete update without its kernel part.
inline constexpr int PROGRESS_RANGE = 35;

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

  // The controls a running request locks: Start, Close, Open firmware file and the drive list,
  // always switched in this order.
  void EnableRequestControls(bool enable);
  // Progress bar: back to 0, or one step on (never past its end).
  void ResetProgress();
  void StepProgress();
  // The exact bytes of the selected drive list entry; empty when none is selected.
  std::string SelectedDriveEntry();

  // The hidden key: shows the selected drive's vendor id and serial number, from a worker.
  void StartDriveInfoReport();

  // A system command: ids 16 to 31 open the About box; the close command closes the window.
  void OnSysCommand(unsigned id);
  // The picture shown while the minimised window is dragged: icon 128.
  QIcon OnQueryDragIcon() const;

 protected:
  // The start-up sequence, run once, before the window first appears.
  virtual bool OnInitDialog();

  void showEvent(QShowEvent* event) override;

  // The user chose an entry of the drive list.
  void OnSelchangeDrive();
  // The Open firmware file button.
  void OnOpenFirmwareFile();
  // The Start button: confirms, then starts the update on a worker.
  void OnStart();

  // Closing: refused while a request runs; otherwise releases the transfer buffers. Close,
  // Escape and the close box all come here.
  void reject() override;
  void OnCancel();

  // The dialog's own context menu stands in for the title bar's system menu, which the window
  // manager owns on Linux: it carries the About entry.
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Draws icon 128 centred while the window is minimised.
  void paintEvent(QPaintEvent* event) override;
  // F10, with or without Alt, from any control of the window: the hidden key.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetLogPaneText(std::string_view text);
  void SetFirmwareFileText(const std::string& text);

  QComboBox* m_driveList = nullptr;
  QLabel* m_driveVersion = nullptr;
  QPushButton* m_openFirmwareFile = nullptr;
  QLineEdit* m_firmwareFile = nullptr;
  QLabel* m_fileVersion = nullptr;
  QPlainTextEdit* m_logPane = nullptr;
  QProgressBar* m_progress = nullptr;
  QPushButton* m_start = nullptr;
  QPushButton* m_close = nullptr;
  QIcon m_hIcon;
  bool m_initialized = false;
};

// The command id of the About entry.
inline constexpr unsigned IDM_ABOUTBOX = 16;
// The platform's close command.
inline constexpr unsigned SC_CLOSE = 0xF060;
