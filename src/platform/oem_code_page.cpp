#include "platform/oem_code_page.h"

#include <cstdlib>
#include <string_view>

namespace drvflash {
namespace {

// POSIX treats a variable set to the empty string as unset.
std::string_view CharacterTypeLocale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return {};
}

// A locale name is language[_territory][.codeset][@modifier]; only the language decides.
bool IsJapaneseLocale(std::string_view locale) {
  const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
  return language == "ja";
}

}  // namespace

int OemCodePage() {
  return IsJapaneseLocale(CharacterTypeLocale()) ? 932 : 437;
}

}  // namespace drvflash
