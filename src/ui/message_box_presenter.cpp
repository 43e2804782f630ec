#include "ui/message_box_presenter.h"

#include "ui/qt_message_box_presenter.h"

namespace drvflash {
namespace {

MessageBoxPresenter* g_installedPresenter = nullptr;

}  // namespace

MessageBoxPresenter& ActiveMessageBoxPresenter() {
  static QtMessageBoxPresenter real;
  return g_installedPresenter != nullptr ? *g_installedPresenter : real;
}

void SetActiveMessageBoxPresenter(MessageBoxPresenter* presenter) {
  g_installedPresenter = presenter;
}

}  // namespace drvflash
