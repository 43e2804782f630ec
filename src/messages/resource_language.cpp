#include "messages/resource_language.h"

#include <QLocale>
#include <atomic>

namespace {

// -1: the system decides; otherwise a Language set by a test.
std::atomic<int> g_resourceLanguageOverride{-1};

}  // namespace

Language ResourceLanguageOf(const QStringList& uiLanguages) {
  if (uiLanguages.isEmpty()) {
    return Language::English;
  }
  return QLocale(uiLanguages.front()).language() == QLocale::Japanese ? Language::Japanese
                                                                      : Language::English;
}

Language ResourceLanguage() {
  const int chosen = g_resourceLanguageOverride.load();
  if (chosen >= 0) {
    return static_cast<Language>(chosen);
  }
  static const Language system = ResourceLanguageOf(QLocale::system().uiLanguages());
  return system;
}

void SetResourceLanguage(std::optional<Language> language) {
  g_resourceLanguageOverride.store(language ? static_cast<int>(*language) : -1);
}

std::string LoadResourceString(unsigned id) {
  return std::string(StringTableEntry(id, ResourceLanguage()));
}
