#pragma once

#include <string>

class QWidget;

namespace drvflash {

// The buttons of a message box; no box carries an icon.
enum class BoxButtons { Ok, OkCancel };

// The button that closed a box. Cancel comes first so that a value-initialised answer, as from
// a box that could not be shown, never reads as a confirmation.
enum class BoxAnswer { Cancel, Ok };

// Shows the program's message boxes; tests install one that records and answers.
class MessageBoxPresenter {
 public:
  virtual ~MessageBoxPresenter() = default;

  // Shows a modal box owned by `owner` and returns once it is closed. Called on the window
  // thread only. `text` and `caption` are UTF-8 with lines broken by CR LF.
  virtual BoxAnswer Present(QWidget& owner, const std::string& text, const std::string& caption,
                            BoxButtons buttons) = 0;
};

// The presenter in use: the real message box unless a test installed another.
MessageBoxPresenter& ActiveMessageBoxPresenter();

// Installs `presenter` (nullptr restores the real one). The caller keeps it alive while
// installed; install it before any worker runs.
void SetActiveMessageBoxPresenter(MessageBoxPresenter* presenter);

}  // namespace drvflash
