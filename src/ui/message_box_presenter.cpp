#include "ui/message_box_presenter.h"

#include <atomic>

#include "ui/qt_message_box_presenter.h"

namespace drvflash {
namespace {

std::atomic<MessageBoxPresenter*> g_installedPresenter{nullptr};

}  // namespace

MessageBoxPresenter& ActiveMessageBoxPresenter() {
  static QtMessageBoxPresenter real;
  if (MessageBoxPresenter* installed = g_installedPresenter.load()) {
    return *installed;
  }
  return real;
}

void SetActiveMessageBoxPresenter(MessageBoxPresenter* presenter) {
  g_installedPresenter.store(presenter);
}

}  // namespace drvflash
