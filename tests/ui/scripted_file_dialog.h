#pragma once

#include <optional>
#include <string>

#include "ui/file_dialog_presenter.h"

namespace drvflash {

// Answers the file-open dialog with `answer` (nothing: Cancel) and counts how often it opened.
class ScriptedFileDialog final : public FileDialogPresenter {
 public:
  std::optional<std::string> ChooseFirmwareFile(QWidget&) override {
    ++shown;
    return answer;
  }
  std::optional<std::string> answer;
  int shown = 0;
};

}  // namespace drvflash
