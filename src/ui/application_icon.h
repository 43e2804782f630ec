#pragma once

#include <QIcon>

namespace drvflash {

// Icon 128: the main window's big and small icon and the About box's picture, 32x32 and 16x16
// in 16 colours.
QIcon ApplicationIcon();

}  // namespace drvflash
