#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "firmware/edition.h"
#include "firmware/kernel_file_path.h"
#include "platform/utf8_text.h"

namespace {

TEST(KernelFilePathTest, ReplacesTheSeventhCharacterFromTheEndWithZero) {
  struct Case {
    std::string normal;
    std::optional<std::string> kernel;
  };
  const Case cases[] = {
      {"/fw/T58AB1CD.128", "/fw/T58AB0CD.128"},
      {"T58AB1CD.128", "T58AB0CD.128"},
      {"/fw/T58AB1LONGNAME.bin", "/fw/T58AB1LONGN0ME.bin"},  // the shape is not checked
      {"/ファーム/T58AB1CD.128", "/ファーム/T58AB0CD.128"},
      {"/fw/T58ABあCD.128", "/fw/T58AB0CD.128"},  // a multi-byte character is replaced whole
      {"1234567", "0234567"},
      {"123456", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KernelFilePath(c.normal), c.kernel) << c.normal;
  }
}

TEST(EditionNameTest, EndsAtAZeroByteAndNamesTheMakersEditionKorvane) {
  struct Case {
    const char bytes[9];
    const char* name;
    bool oem;
  };
  const Case cases[] = {
      {"ROZUVAZ ", "Korvane", false},  {"ZEPHRA  ", "ZEPHRA  ", true},
      {"MORIC   ", "MORIC   ", true},  {"ZEP\0RA  ", "ZEP", false},
      {"zephra  ", "zephra  ", false}, {"ROZUVAZX", "ROZUVAZX", false},
      {"STD     ", "STD     ", false},
  };
  for (const Case& c : cases) {
    std::uint8_t bytes[8];
    std::memcpy(bytes, c.bytes, 8);
    EXPECT_EQ(EditionName(bytes), c.name);
    EXPECT_EQ(IsOemEdition(bytes), c.oem) << c.name;
  }
}

TEST(Utf8TextTest, CountsCharactersNotBytes) {
  using drvflash::Utf8CharacterCount;
  using drvflash::Utf8LastCharacters;
  EXPECT_EQ(Utf8CharacterCount("T58AB1CD.128"), 12u);
  EXPECT_EQ(Utf8CharacterCount("ファイル"), 4u);
  EXPECT_EQ(Utf8CharacterCount("\xff\xe3\x81"), 3u) << "malformed bytes count one each";
  EXPECT_EQ(Utf8LastCharacters("/home/ユーザー/T58AB1CD.128", 14), "ー/T58AB1CD.128");
  EXPECT_EQ(Utf8LastCharacters("short.128", 12), "short.128");
}

}  // namespace
