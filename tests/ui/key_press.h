#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace drvflash {

// Presses `key` the way a user does: the window active, the key going to the control that has
// the focus (`control`, when given, takes it first).
inline void PressKey(QWidget& window, QWidget* control, Qt::Key key,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  window.activateWindow();
  (void)QTest::qWaitForWindowActive(&window);
  if (control != nullptr) {
    control->setFocus(Qt::OtherFocusReason);
  }
  QWidget* receiver = QApplication::focusWidget();
  QTest::keyClick(receiver != nullptr ? receiver : &window, key, modifiers);
}

}  // namespace drvflash
