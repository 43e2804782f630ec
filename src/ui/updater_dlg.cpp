#include "ui/updater_dlg.h"

#include <QPlainTextEdit>
#include <QShowEvent>
#include <QVBoxLayout>

#include "messages/built_in_text.h"
#include "ui/control_id.h"
#include "ui/qt_translations.h"

CUpdaterDlg::CUpdaterDlg(QWidget* parent) : QDialog(parent) {
  drvflash::ApplyQtTranslations();
  setWindowTitle(QStringLiteral("drvflash version 1.00"));

  m_logPane = new QPlainTextEdit(this);
  drvflash::SetControlId(*m_logPane, IDC_LOG_PANE);
  m_logPane->setReadOnly(true);
  m_logPane->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_logPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_logPane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_logPane);
}

bool CUpdaterDlg::OnInitDialog() {
  SetCodePageFromSystem();
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
