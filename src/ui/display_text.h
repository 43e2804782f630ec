#pragma once

#include <QString>
#include <string_view>

namespace drvflash {

// A program text as a widget shows it: UTF-8 decoded, each CR LF one line break.
QString DisplayText(std::string_view text);

// A box text as a message box shows it: as DisplayText, and a lone CR or LF breaks the line
// too (some texts end a line with CR alone), where an edit control would not.
QString MessageBoxText(std::string_view text);

}  // namespace drvflash
