#include "ui/application_icon.h"

#include <QPixmap>

#include "ui/resources/application_icon_16.xpm"
#include "ui/resources/application_icon_32.xpm"

namespace drvflash {

QIcon ApplicationIcon() {
  QIcon icon;
  icon.addPixmap(QPixmap(application_icon_32));
  icon.addPixmap(QPixmap(application_icon_16));
  return icon;
}

}  // namespace drvflash
