#pragma once

#include <optional>
#include <string>

class QWidget;

namespace drvflash {

// Shows the program's file-open dialog; tests install one that answers with a path or Cancel.
class FileDialogPresenter {
 public:
  virtual ~FileDialogPresenter() = default;

  // Lets the user choose a firmware file in the current directory; the full path (UTF-8), or
  // nothing when the user cancels. Called on the window thread only.
  virtual std::optional<std::string> ChooseFirmwareFile(QWidget& owner) = 0;
};

// The presenter in use: the real dialog unless a test installed another.
FileDialogPresenter& ActiveFileDialogPresenter();

// Installs `presenter` (nullptr restores the real one); the caller keeps it alive meanwhile.
void SetActiveFileDialogPresenter(FileDialogPresenter* presenter);

}  // namespace drvflash
