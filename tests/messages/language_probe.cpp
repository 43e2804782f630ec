// Prints "<resource language> <g_codePage>" as this process's environment decides them.
#include <cstdio>

#include "messages/built_in_text.h"
#include "messages/resource_language.h"

int main() {
  SetCodePageFromSystem();
  std::printf("%s %d\n", ResourceLanguage() == Language::Japanese ? "ja" : "en", g_codePage);
  return 0;
}
