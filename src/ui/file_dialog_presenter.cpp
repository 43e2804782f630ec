#include "ui/file_dialog_presenter.h"

#include <atomic>

#include "ui/qt_file_dialog_presenter.h"

namespace drvflash {
namespace {
std::atomic<FileDialogPresenter*> g_installedPresenter{nullptr};
}  // namespace

FileDialogPresenter& ActiveFileDialogPresenter() {
  static QtFileDialogPresenter real;
  if (FileDialogPresenter* installed = g_installedPresenter.load()) {
    return *installed;
  }
  return real;
}

void SetActiveFileDialogPresenter(FileDialogPresenter* presenter) {
  g_installedPresenter.store(presenter);
}

}  // namespace drvflash
