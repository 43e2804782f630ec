#include "ui/qt_file_dialog_presenter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
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
  // "*.*" also matches a name without a point, as in the start-up search, but Qt's wildcard
  // needs the point: the list filters by the pattern without it, the dialog shows the filter
  // as it is.
  if (auto* model = dialog->findChild<QFileSystemModel*>()) {
    model->setNameFilters({QStringLiteral("t58??1*")});
  }
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
