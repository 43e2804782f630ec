#include "ui/qt_file_dialog_presenter.h"

#include <QDir>
#include <QFileDialog>
#include <memory>

#include "firmware/firmware_discovery.h"
#include "ui/window_thread.h"

namespace drvflash {

QFileDialog* QtFileDialogPresenter::CreateDialog(QWidget& owner) {
  auto* dialog = new QFileDialog(&owner);
  // Qt's own dialog on every desktop, so that the filter below behaves the same everywhere.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setDirectory(QDir::current());
  // Without QDir::CaseSensitive among the filters the name filter ignores letter case.
  dialog->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
  dialog->setNameFilter(QString::fromUtf8(
      FIRMWARE_FILE_FILTER_NAME.data(), static_cast<qsizetype>(FIRMWARE_FILE_FILTER_NAME.size())));
  return dialog;
}

std::optional<std::string> QtFileDialogPresenter::ChooseFirmwareFile(QWidget& owner) {
  RequireWindowThread("QtFileDialogPresenter::ChooseFirmwareFile");
  const std::unique_ptr<QFileDialog> dialog(CreateDialog(owner));
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return QFile::encodeName(dialog->selectedFiles().constFirst()).toStdString();
}

}  // namespace drvflash
