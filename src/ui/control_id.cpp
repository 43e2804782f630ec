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

QWidget* FindControl(const QWidget& window, int id) {
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (child->property(kControlIdProperty) == QVariant(id)) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace drvflash
