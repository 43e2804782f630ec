#include "ui/about_dlg.h"

#include <QPushButton>

#include "messages/resource_language.h"
#include "ui/control_id.h"
#include "ui/dialog_builder.h"

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner) {
  drvflash::BuildDialog(*this, AboutDialogTemplate(), ResourceLanguage());
  if (auto* ok = drvflash::FindControl<QPushButton>(*this, IDOK_BUTTON)) {
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  }
}
