#pragma once

#include <string_view>

// The code page that chooses the language of texts built into the program: 932 (Japanese) or
// 437 (any other); 0 until the main window's start-up sets it. Independent of the resource
// language.
extern int g_codePage;

// Sets g_codePage from the system's OEM code page: 932 stays 932, any other becomes 437.
void SetCodePageFromSystem();

// The member of a built-in English/Japanese pair that g_codePage selects.
std::string_view BuiltInText(std::string_view english, std::string_view japanese);
