#include "ui/display_text.h"

namespace drvflash {

QString DisplayText(std::string_view text) {
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

QString MessageBoxText(std::string_view text) {
  QString shown = DisplayText(text);
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

}  // namespace drvflash
