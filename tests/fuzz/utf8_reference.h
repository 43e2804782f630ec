#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A strict UTF-8 reading, written apart from the code under test: no overlong forms, no
// surrogates, nothing past U+10FFFF.
namespace drvflash::fuzz {

// The characters of `text`, each as its bytes; nothing when `text` is not valid UTF-8.
inline std::optional<std::vector<std::string>> SplitUtf8(std::string_view text) {
  std::vector<std::string> characters;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t lowest = 0;
    if (lead < 0x80) {
      length = 1;
      value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      value = lead & 0x1F;
      lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      value = lead & 0x0F;
      lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      value = lead & 0x07;
      lowest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (pos + length > text.size()) {
      return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[pos + i]);
      if ((next & 0xC0) != 0x80) {
        return std::nullopt;
      }
      value = (value << 6) | (next & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      return std::nullopt;
    }
    characters.emplace_back(text.substr(pos, length));
    pos += length;
  }
  return characters;
}

inline bool IsValidUtf8(std::string_view text) {
  return SplitUtf8(text).has_value();
}

inline std::string Join(const std::vector<std::string>& characters, std::size_t begin,
                        std::size_t end) {
  std::string text;
  for (std::size_t i = begin; i < end && i < characters.size(); ++i) {
    text += characters[i];
  }
  return text;
}

}  // namespace drvflash::fuzz
