#include <gtest/gtest.h>

#include <QStringList>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "messages/built_in_text.h"
#include "messages/resource_language.h"
#include "platform/oem_code_page.h"

namespace {

// Sets the three character-type variables for one case (nullptr: unset) and restores them.
class CharacterTypeEnvironment {
 public:
  CharacterTypeEnvironment(const char* lcAll, const char* lcCtype, const char* lang) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (const char* old = std::getenv(kNames[i])) {
        saved_[i] = old;
      }
    }
    Set(0, lcAll);
    Set(1, lcCtype);
    Set(2, lang);
  }
  ~CharacterTypeEnvironment() {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      Set(i, saved_[i] ? saved_[i]->c_str() : nullptr);
    }
  }
  CharacterTypeEnvironment(const CharacterTypeEnvironment&) = delete;
  CharacterTypeEnvironment& operator=(const CharacterTypeEnvironment&) = delete;

 private:
  static constexpr std::array<const char*, 3> kNames = {"LC_ALL", "LC_CTYPE", "LANG"};
  static void Set(std::size_t i, const char* value) {
    if (value != nullptr) {
      setenv(kNames[i], value, 1);
    } else {
      unsetenv(kNames[i]);
    }
  }
  std::array<std::optional<std::string>, 3> saved_;
};

TEST(LanguageRules, CodePageFollowsTheFirstSetCharacterTypeVariable) {
  struct Case {
    const char* lcAll;
    const char* lcCtype;
    const char* lang;
    int codePage;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, 437},
      {nullptr, nullptr, "C", 437},
      {nullptr, nullptr, "en_US.UTF-8", 437},
      {nullptr, nullptr, "ja_JP.UTF-8", 932},
      {nullptr, nullptr, "ja_JP.eucJP", 932},
      {nullptr, nullptr, "ja", 932},
      {nullptr, nullptr, "ja.UTF-8", 932},
      {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", 932},
      {nullptr, "de_DE.UTF-8", "ja_JP.UTF-8", 437},
      {"en_GB.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", 437},
      {"ja_JP.UTF-8", "en_US.UTF-8", nullptr, 932},
      // Set to the empty string counts as unset.
      {"", "", "ja_JP.UTF-8", 932},
      // Only the language part decides: Javanese, or "ja" inside a longer name, is not Japanese.
      {nullptr, nullptr, "jv_ID.UTF-8", 437},
      {nullptr, nullptr, "jam_JM", 437},
  };
  for (const Case& c : cases) {
    CharacterTypeEnvironment environment(c.lcAll, c.lcCtype, c.lang);
    const auto described = testing::Message() << "LC_ALL=" << (c.lcAll ? c.lcAll : "(unset)")
                                              << " LC_CTYPE=" << (c.lcCtype ? c.lcCtype : "(unset)")
                                              << " LANG=" << (c.lang ? c.lang : "(unset)");
    EXPECT_EQ(drvflash::OemCodePage(), c.codePage) << described;
    g_codePage = 0;
    SetCodePageFromSystem();
    EXPECT_EQ(g_codePage, c.codePage) << described;
  }
  g_codePage = 0;
}

TEST(LanguageRules, ResourceLanguageIsJapaneseOnlyWhenTheFirstUiLanguageIs) {
  struct Case {
    QStringList uiLanguages;
    Language language;
  };
  const Case cases[] = {
      {{"ja-JP"}, Language::Japanese},
      {{"ja"}, Language::Japanese},
      {{"ja-JP", "en-US"}, Language::Japanese},
      {{"en-US", "ja-JP"}, Language::English},
      {{"de-DE"}, Language::English},
      {{"jv-ID"}, Language::English},
      {{"C"}, Language::English},
      {{}, Language::English},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResourceLanguageOf(c.uiLanguages), c.language)
        << c.uiLanguages.join(',').toStdString();
  }
}

TEST(LanguageRules, BuiltInTextFollowsOnlyCodePage932) {
  for (const int codePage : {0, 437, 850, 932, 936}) {
    g_codePage = codePage;
    EXPECT_EQ(BuiltInText("English", "日本語"), codePage == 932 ? "日本語" : "English")
        << "code page " << codePage;
  }
  g_codePage = 0;
}

TEST(LanguageRules, StringTableTextsDoNotFollowTheCodePage) {
  SetResourceLanguage(Language::English);
  for (const int codePage : {437, 932}) {
    g_codePage = codePage;
    EXPECT_EQ(LoadResourceString(110), "Message");
  }
  SetResourceLanguage(Language::Japanese);
  for (const int codePage : {437, 932}) {
    g_codePage = codePage;
    EXPECT_EQ(LoadResourceString(110), "確認");
  }
  SetResourceLanguage(std::nullopt);
  g_codePage = 0;
}

// What a whole process decides from its environment, both rules at once.
std::string ProbeLanguages(const std::string& environment) {
  const std::string command = "env -i " + environment + " " LANGUAGE_PROBE_PATH;
  FILE* probe = popen(command.c_str(), "r");
  if (probe == nullptr) {
    return "cannot run " + command;
  }
  std::array<char, 64> line{};
  std::string output = std::fgets(line.data(), line.size(), probe) ? line.data() : "";
  pclose(probe);
  if (!output.empty() && output.back() == '\n') {
    output.pop_back();
  }
  return output;
}

TEST(LanguageRules, ResourceLanguageAndCodePageAreDecidedIndependently) {
  struct Case {
    const char* environment;
    const char* decided;  // "<resource language> <code page>"
  };
  const Case cases[] = {
      {"", "en 437"},
      {"LANG=C", "en 437"},
      {"LANG=en_US.UTF-8", "en 437"},
      {"LANG=ja_JP.UTF-8", "ja 932"},
      {"LC_ALL=ja_JP.UTF-8 LANG=en_US.UTF-8", "ja 932"},
      // Japanese interface, non-Japanese character type, and the reverse.
      {"LANGUAGE=ja LANG=en_US.UTF-8", "ja 437"},
      {"LC_MESSAGES=ja_JP.UTF-8 LANG=en_US.UTF-8", "ja 437"},
      {"LANGUAGE=en LANG=ja_JP.UTF-8", "en 932"},
      {"LC_MESSAGES=en_US.UTF-8 LC_CTYPE=ja_JP.UTF-8 LANG=C", "en 932"},
      {"LANGUAGE=en:ja LANG=ja_JP.UTF-8", "en 932"},
      {"LANGUAGE=ja:en LANG=C", "ja 437"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProbeLanguages(c.environment), c.decided) << c.environment;
  }
}

}  // namespace
