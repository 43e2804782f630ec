#include "ui/updater_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "drive/transfer_buffers.h"
#include "messages/built_in_text.h"
#include "messages/resource_language.h"
#include "ui/application_icon.h"
#include "ui/control_id.h"
#include "ui/dialog_builder.h"
#include "ui/qt_translations.h"
#include "ui/resources/dialog_templates.h"
#include "ui/startup_notes.h"

namespace {

template <class Control>
Control* Bind(CUpdaterDlg& dialog, int id) {
  auto* control = drvflash::FindControl<Control>(dialog, id);
  Q_ASSERT(control != nullptr);
  return control;
}

}  // namespace

CUpdaterDlg::CUpdaterDlg(QWidget* parent) : QDialog(parent), m_hIcon(drvflash::ApplicationIcon()) {
  drvflash::ApplyQtTranslations();
  drvflash::BuildDialog(*this, MainDialogTemplate(), ResourceLanguage());

  m_close = Bind<QPushButton>(*this, IDCANCEL);
  m_fileVersion = Bind<QLabel>(*this, IDC_FILE_VERSION);
  m_driveVersion = Bind<QLabel>(*this, IDC_DRIVE_VERSION);
  m_openFirmwareFile = Bind<QPushButton>(*this, IDC_OPEN_FIRMWARE_FILE);
  m_driveList = Bind<QComboBox>(*this, IDC_DRIVE_LIST);
  m_logPane = Bind<QPlainTextEdit>(*this, IDC_LOG_PANE);
  m_firmwareFile = Bind<QLineEdit>(*this, IDC_FIRMWARE_FILE);
  m_progress = Bind<QProgressBar>(*this, IDC_PROGRESS);
  m_start = Bind<QPushButton>(*this, IDC_START);

  // Only a user's choice of an entry reaches the handler; a programmatic selection does not,
  // and text typed into the edit field never becomes an entry (the template's NoInsert).
  connect(m_driveList, &QComboBox::activated, this, [this] { OnSelchangeDrive(); });
  connect(m_openFirmwareFile, &QPushButton::clicked, this, [this] { OnOpenFirmwareFile(); });
  connect(m_start, &QPushButton::clicked, this, [this] { OnStart(); });
  connect(m_close, &QPushButton::clicked, this, [this] { OnCancel(); });

  // F10 reaches the window from whichever control has the focus.
  qApp->installEventFilter(this);
}

bool CUpdaterDlg::OnInitDialog() {
  // The About entry lives in the dialog's context menu (contextMenuEvent), built when asked.
  setWindowIcon(m_hIcon);
  AllocateTransferBuffers();
  SetCodePageFromSystem();
  m_progress->setRange(0, PROGRESS_RANGE);
  m_progress->setValue(0);
  ScanDrives();
  SelectFirstDrive();
  DiscoverFirmwareFile();
  ShowAttentionText();
  for (const drvflash::StartupNote& note : drvflash::StartupNotes()) {
    AppendLogText(BuiltInText(note.english, note.japanese));
  }
  m_driveList->setFocus(Qt::OtherFocusReason);
  return true;
}

void CUpdaterDlg::showEvent(QShowEvent* event) {
  if (!m_initialized && !event->spontaneous()) {
    m_initialized = true;
    drvflash::CenterOnScreen(*this);
    OnInitDialog();
  }
  QDialog::showEvent(event);
}
