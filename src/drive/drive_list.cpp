// The main window's drive list: the scan's entries, the selected drive's address and version.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "drive/drive_scan.h"
#include "drive/request_block.h"
#include "messages/resource_language.h"
#include "ui/display_text.h"
#include "ui/updater_dlg.h"
#include "ui/window_thread.h"

namespace {

constexpr unsigned kNotFoundString = 108;

// Entries keep their exact bytes beside the text shown, so that the address and version are
// read from what the scan produced, whatever the bytes decode to.
constexpr int kEntryBytesRole = Qt::UserRole;

void AppendEntry(QComboBox& list, const std::string& entry) {
  list.addItem(drvflash::DisplayText(entry), QByteArray::fromStdString(entry));
}

}  // namespace

void CUpdaterDlg::ScanDrives() {
  // The requests run on the calling thread: the window's at start-up, a worker's after an update.
  const std::optional<std::vector<std::string>> drives = FindDrives();
  drvflash::OnWindowThread(*this, [&] {
    if (drives) {
      m_driveList->clear();
      for (const std::string& entry : *drives) {
        AppendEntry(*m_driveList, entry);
      }
    }
    if (!drives || drives->empty()) {
      AppendEntry(*m_driveList, LoadResourceString(kNotFoundString));
    }
  });
}

void CUpdaterDlg::SelectFirstDrive() {
  drvflash::OnWindowThread(*this, [&] {
    m_driveList->setCurrentIndex(0);
    // The entry's beginning, its address, is what shows in the edit field.
    m_driveList->lineEdit()->setCursorPosition(0);
  });
  ApplyDriveSelection();
}

void CUpdaterDlg::ApplyDriveSelection() {
  drvflash::OnWindowThread(*this, [&] {
    const std::string entry = m_driveList->itemData(m_driveList->currentIndex(), kEntryBytesRole)
                                  .toByteArray()
                                  .toStdString();
    if (const auto version = ParseDriveVersion(entry)) {
      m_driveVersion->setText(drvflash::DisplayText(*version));
    }
    const DriveAddress address = ParseDriveAddress(entry);
    g_haId = address.haId;
    g_targetId = address.targetId;
  });
}

void CUpdaterDlg::OnSelchangeDrive() {
  ApplyDriveSelection();
}
