#pragma once

#include <string_view>

// The two languages every user-visible text exists in.
enum class Language { English, Japanese };

// String-table entry `id` in `language` (UTF-8, line breaks as CR LF); empty for an id the
// table does not hold.
std::string_view StringTableEntry(unsigned id, Language language);
