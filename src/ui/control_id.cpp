#include "ui/control_id.h"

#include <QVariant>

namespace drvflash {
namespace {

constexpr const char* kControlIdProperty = "controlId";

}  // namespace

void SetControlId(QWidget& control, int id) {
  control.setProperty(kControlIdProperty, id);
  control.setObjectName(QStringLiteral("control%1").arg(id));
}

int ControlIdOf(const QWidget& control) {
  const QVariant id = control.property(kControlIdProperty);
  return id.isValid() ? id.toInt() : -1;
}

QWidget* FindControl(const QWidget& window, int id) {
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (child->property(kControlIdProperty) == QVariant(id)) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace drvflash
