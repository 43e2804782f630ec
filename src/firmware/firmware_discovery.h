#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Firmware files are named T58xx1yy.NNN (normal part; "0" in the sixth place for the kernel
// part), NNN being the version d.dd without its point.

// The description and the pattern the file dialog offers.
inline constexpr std::string_view FIRMWARE_FILE_FILTER_NAME{"firmware file(t58??1*.*)"};
inline constexpr std::string_view FIRMWARE_FILE_PATTERN{"t58??1*.*"};
inline constexpr std::size_t MAX_DISCOVERED_NAMES = 500;

// Whether `name` matches "T58??1*.*" without regard to letter case, "*.*" matching a name with
// or without a point, "?" one character.
bool MatchesFirmwareFilePattern(std::string_view name);

// The version number a name ranks by: its last three characters (the whole name when shorter)
// read as a decimal integer the way atoi does, taken as unsigned 32 bits, so that a negative
// number ranks above every positive one.
std::uint32_t FirmwareNameRank(std::string_view name);

// The first MAX_DISCOVERED_NAMES names in `directory` that match, in the order the directory
// yields them, directories included. Empty when the directory cannot be read.
std::vector<std::string> MatchingFirmwareNames(const std::filesystem::path& directory);

// The newest of `names`: the highest rank, the later of equal ones; nothing when every rank is 0.
std::optional<std::string> NewestFirmwareName(const std::vector<std::string>& names);

// The version label of a discovered name: "." inserted at character 10 (at the end of a shorter
// name), then the last four characters. "T58CC1DD.128" gives "1.28".
std::string DiscoveredVersionLabel(std::string_view name);

// The version label of a chosen path: its last three characters with "." after the first.
std::string ChosenVersionLabel(std::string_view path);
