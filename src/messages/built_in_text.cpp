#include "messages/built_in_text.h"

#include "platform/oem_code_page.h"

int g_codePage = 0;

void SetCodePageFromSystem() {
  g_codePage = drvflash::OemCodePage() == 932 ? 932 : 437;
}

std::string_view BuiltInText(std::string_view english, std::string_view japanese) {
  return g_codePage == 932 ? japanese : english;
}

BuiltInMessage BuiltInText(const BuiltInMessage& english, const BuiltInMessage& japanese) {
  return g_codePage == 932 ? japanese : english;
}

std::string JoinText(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) {
    text.append(piece);
  }
  return text;
}
