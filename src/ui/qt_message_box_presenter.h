#pragma once

#include "ui/message_box_presenter.h"

namespace drvflash {

// A QMessageBox without icon: OK, or OK and Cancel with OK the default. Escape and the close
// box answer Cancel, or OK when OK is the only button.
class QtMessageBoxPresenter final : public MessageBoxPresenter {
 public:
  BoxAnswer Present(QWidget& owner, const std::string& text, const std::string& caption,
                    BoxButtons buttons) override;
};

}  // namespace drvflash
