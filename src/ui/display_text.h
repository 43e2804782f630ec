#pragma once

#include <QString>
#include <string_view>

namespace drvflash {

// A program text as a widget shows it: UTF-8 decoded, each CR LF one line break.
QString DisplayText(std::string_view text);

}  // namespace drvflash
