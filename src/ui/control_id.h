#pragma once

#include <QWidget>

namespace drvflash {

// Every control of a window carries its numeric id, by which code and tests reach it.
void SetControlId(QWidget& control, int id);

// The id of `control`, or -1 when it has none.
int ControlIdOf(const QWidget& control);

// The control of `window` with `id`, or nullptr.
QWidget* FindControl(const QWidget& window, int id);

template <class Control>
Control* FindControl(const QWidget& window, int id) {
  return qobject_cast<Control*>(FindControl(window, id));
}

}  // namespace drvflash
