#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/message_box_presenter.h"
#include "ui/window_thread.h"

namespace drvflash {

struct PresentedBox {
  std::string text;
  std::string caption;
  BoxButtons buttons;
  QWidget* owner;
  bool onWindowThread;

  bool operator==(const PresentedBox&) const = default;
};

// Records every box instead of showing it and answers with `answer`.
class RecordingPresenter final : public MessageBoxPresenter {
 public:
  BoxAnswer Present(QWidget& owner, const std::string& text, const std::string& caption,
                    BoxButtons buttons) override {
    boxes.push_back({text, caption, buttons, &owner, IsWindowThread()});
    if (onPresent) {
      onPresent(boxes.back());
    }
    return answer;
  }

  BoxAnswer answer = BoxAnswer::Ok;
  std::vector<PresentedBox> boxes;
  std::function<void(const PresentedBox&)> onPresent;
};

}  // namespace drvflash
