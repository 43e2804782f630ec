// What a worker changes and reads of the main window while a request runs.
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "ui/updater_dlg.h"
#include "ui/window_thread.h"

void CUpdaterDlg::EnableRequestControls(bool enable) {
  drvflash::OnWindowThread(*this, [&] {
    for (QWidget* control :
         {static_cast<QWidget*>(m_start), static_cast<QWidget*>(m_close),
          static_cast<QWidget*>(m_openFirmwareFile), static_cast<QWidget*>(m_driveList)}) {
      control->setEnabled(enable);
    }
  });
}

void CUpdaterDlg::ResetProgress() {
  drvflash::OnWindowThread(*this, [&] { m_progress->setValue(0); });
}

void CUpdaterDlg::StepProgress() {
  drvflash::OnWindowThread(*this, [&] {
    m_progress->setValue(std::min(m_progress->value() + 1, m_progress->maximum()));
  });
}

std::string CUpdaterDlg::SelectedDriveEntry() {
  return drvflash::OnWindowThread(*this, [&] {
    // The drive list keeps each entry's exact bytes in this role.
    return m_driveList->itemData(m_driveList->currentIndex(), Qt::UserRole)
        .toByteArray()
        .toStdString();
  });
}
