#include "ui/updater_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "drive/transfer_buffers.h"
#include "messages/built_in_text.h"
#include "messages/resource_language.h"
#include "ui/control_id.h"
#include "ui/qt_translations.h"

CUpdaterDlg::CUpdaterDlg(QWidget* parent) : QDialog(parent) {
  drvflash::ApplyQtTranslations();
  setWindowTitle(QStringLiteral("drvflash version 1.00"));

  m_driveList = new QComboBox(this);
  drvflash::SetControlId(*m_driveList, IDC_DRIVE_LIST);
  // An edit field whose text never becomes an entry: the drive address comes from the entries
  // the scan listed, never from what was typed.
  m_driveList->setEditable(true);
  m_driveList->setInsertPolicy(QComboBox::NoInsert);
  // Only a user's choice reaches the handler; programmatic selection does not.
  connect(m_driveList, &QComboBox::activated, this, [this] { OnSelchangeDrive(); });

  m_driveVersion = new QLabel(QStringLiteral("???"), this);
  drvflash::SetControlId(*m_driveVersion, IDC_DRIVE_VERSION);

  m_openFirmwareFile = new QPushButton(ResourceLanguage() == Language::Japanese
                                           ? QStringLiteral("ファイルを開く")
                                           : QStringLiteral("Open firmware file"),
                                       this);
  drvflash::SetControlId(*m_openFirmwareFile, IDC_OPEN_FIRMWARE_FILE);
  connect(m_openFirmwareFile, &QPushButton::clicked, this, [this] { OnOpenFirmwareFile(); });

  m_firmwareFile = new QLineEdit(this);
  drvflash::SetControlId(*m_firmwareFile, IDC_FIRMWARE_FILE);
  m_firmwareFile->setReadOnly(true);

  m_fileVersion = new QLabel(QStringLiteral("???"), this);
  drvflash::SetControlId(*m_fileVersion, IDC_FILE_VERSION);

  m_logPane = new QPlainTextEdit(this);
  drvflash::SetControlId(*m_logPane, IDC_LOG_PANE);
  m_logPane->setReadOnly(true);
  m_logPane->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_logPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_logPane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  m_progress = new QProgressBar(this);
  drvflash::SetControlId(*m_progress, IDC_PROGRESS);
  m_progress->setTextVisible(false);

  const bool japanese = ResourceLanguage() == Language::Japanese;
  m_start = new QPushButton(japanese ? QStringLiteral("開始") : QStringLiteral("Start"), this);
  drvflash::SetControlId(*m_start, IDC_START);
  m_start->setAutoDefault(false);
  connect(m_start, &QPushButton::clicked, this, [this] { OnStart(); });

  m_close = new QPushButton(japanese ? QStringLiteral("閉じる") : QStringLiteral("Close"), this);
  drvflash::SetControlId(*m_close, IDCANCEL);
  m_close->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_driveList);
  layout->addWidget(m_driveVersion);
  layout->addWidget(m_openFirmwareFile);
  layout->addWidget(m_firmwareFile);
  layout->addWidget(m_fileVersion);
  layout->addWidget(m_logPane);
  layout->addWidget(m_progress);
  layout->addWidget(m_start);
  layout->addWidget(m_close);
}

bool CUpdaterDlg::OnInitDialog() {
  AllocateTransferBuffers();
  SetCodePageFromSystem();
  m_progress->setRange(0, PROGRESS_RANGE);
  m_progress->setValue(0);
  ScanDrives();
  SelectFirstDrive();
  DiscoverFirmwareFile();
  ShowAttentionText();
  return true;
}

void CUpdaterDlg::showEvent(QShowEvent* event) {
  if (!m_initialized && !event->spontaneous()) {
    m_initialized = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}
