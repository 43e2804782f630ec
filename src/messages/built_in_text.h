#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The code page that chooses the language of texts built into the program: 932 (Japanese) or
// 437 (any other); 0 until the main window's start-up sets it. Independent of the resource
// language.
extern int g_codePage;

// Sets g_codePage from the system's OEM code page: 932 stays 932, any other becomes 437.
void SetCodePageFromSystem();

// The member of a built-in English/Japanese pair that g_codePage selects.
std::string_view BuiltInText(std::string_view english, std::string_view japanese);

// A message built into the program: its box text, its caption and its log text.
struct BuiltInMessage {
  std::string text;
  std::string caption;
  std::string logText;
};

// The member of an English/Japanese pair of messages that g_codePage selects.
BuiltInMessage BuiltInText(const BuiltInMessage& english, const BuiltInMessage& japanese);

// The pieces of a text joined with nothing between them.
std::string JoinText(std::initializer_list<std::string_view> pieces);
