#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Narrow strings are UTF-8. Paths and texts are counted in characters, so that a multi-byte
// character is never split; bytes that are not valid UTF-8 count as one character each.
namespace drvflash {

// Number of characters in `text`.
std::size_t Utf8CharacterCount(std::string_view text);

// Byte offset of character `index`; text.size() when index is at or past the end.
std::size_t Utf8Offset(std::string_view text, std::size_t index);

// The last `count` characters of `text` (all of it when it is shorter).
std::string_view Utf8LastCharacters(std::string_view text, std::size_t count);

}  // namespace drvflash
