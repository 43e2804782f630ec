#pragma once

#include "ui/file_dialog_presenter.h"

class QFileDialog;

namespace drvflash {

// Qt's own file dialog: the current directory, the firmware filter, names matched without regard
// to letter case.
class QtFileDialogPresenter final : public FileDialogPresenter {
 public:
  std::optional<std::string> ChooseFirmwareFile(QWidget& owner) override;

  // The dialog as the user sees it, not yet shown; exposed so that tests can look at it.
  static QFileDialog* CreateDialog(QWidget& owner);
};

}  // namespace drvflash
