#include "firmware/firmware_discovery.h"

#include <cctype>
#include <system_error>

#include "platform/utf8_text.h"

using drvflash::Utf8CharacterCount;
using drvflash::Utf8LastCharacters;
using drvflash::Utf8Offset;

bool MatchesFirmwareFilePattern(std::string_view name) {
  if (Utf8CharacterCount(name) < 6) {
    return false;
  }
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  // "T58" and "1" are single bytes; "??" are two characters of any width.
  const std::size_t sixth = Utf8Offset(name, 5);
  return lower(name[0]) == 't' && name[1] == '5' && name[2] == '8' && name[sixth] == '1';
}

std::uint32_t FirmwareNameRank(std::string_view name) {
  const std::string_view tail = Utf8LastCharacters(name, 3);
  std::size_t pos = 0;
  while (pos < tail.size() && std::isspace(static_cast<unsigned char>(tail[pos]))) {
    ++pos;
  }
  bool negative = false;
  if (pos < tail.size() && (tail[pos] == '+' || tail[pos] == '-')) {
    negative = tail[pos] == '-';
    ++pos;
  }
  std::int32_t value = 0;
  while (pos < tail.size() && std::isdigit(static_cast<unsigned char>(tail[pos]))) {
    value = value * 10 + (tail[pos] - '0');
    ++pos;
  }
  return static_cast<std::uint32_t>(negative ? -value : value);
}

std::vector<std::string> MatchingFirmwareNames(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entries(directory, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    if (MatchesFirmwareFilePattern(name)) {
      names.push_back(std::move(name));
      if (names.size() == MAX_DISCOVERED_NAMES) {
        break;
      }
    }
  }
  return names;
}

std::optional<std::string> NewestFirmwareName(const std::vector<std::string>& names) {
  std::uint32_t best = 0;
  std::optional<std::string> newest;
  for (const std::string& name : names) {
    const std::uint32_t rank = FirmwareNameRank(name);
    if (rank != 0 && rank >= best) {
      best = rank;
      newest = name;
    }
  }
  return newest;
}

std::string DiscoveredVersionLabel(std::string_view name) {
  std::string text(name);
  text.insert(Utf8Offset(text, 10), ".");
  return std::string(Utf8LastCharacters(text, 4));
}

std::string ChosenVersionLabel(std::string_view path) {
  std::string text(Utf8LastCharacters(path, 3));
  text.insert(Utf8Offset(text, 1), ".");
  return text;
}
