// The names and paths that firmware discovery ranks, labels and turns into kernel-part paths.
// Every result of valid UTF-8 must be valid UTF-8, and must be what the rule says when read
// character by character.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/firmware_discovery.h"
#include "firmware/kernel_file_path.h"
#include "fuzz_require.h"
#include "utf8_reference.h"

namespace {

using drvflash::fuzz::IsValidUtf8;
using drvflash::fuzz::Join;
using drvflash::fuzz::SplitUtf8;

bool IsCharacter(const std::string& character, char c) {
  return character.size() == 1 && character[0] == c;
}

// The last `count` characters, joined.
std::string LastCharacters(const std::vector<std::string>& characters, std::size_t count) {
  const std::size_t total = characters.size();
  return Join(characters, total > count ? total - count : 0, total);
}

void CheckName(std::string_view name) {
  // Always called, valid or not: none of these may crash on bytes that are not UTF-8.
  const bool matches = MatchesFirmwareFilePattern(name);
  const std::uint32_t rank = FirmwareNameRank(name);
  const std::string discovered = DiscoveredVersionLabel(name);
  const std::string chosen = ChosenVersionLabel(name);
  const std::optional<std::string> kernel = KernelFilePath(std::string(name));

  const std::optional<std::vector<std::string>> characters = SplitUtf8(name);
  if (!characters) {
    return;
  }
  const std::vector<std::string>& c = *characters;
  const std::size_t count = c.size();

  const bool expectedMatch =
      count >= 6 && c[0].size() == 1 && std::tolower(static_cast<unsigned char>(c[0][0])) == 't' &&
      IsCharacter(c[1], '5') && IsCharacter(c[2], '8') && IsCharacter(c[5], '1');
  FUZZ_REQUIRE(matches == expectedMatch);

  // The way atoi reads the last three characters.
  const std::string tail = LastCharacters(c, 3);
  FUZZ_REQUIRE(rank == static_cast<std::uint32_t>(std::atoi(tail.c_str())));

  std::vector<std::string> dotted = c;
  dotted.insert(dotted.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(10, count)),
                ".");
  FUZZ_REQUIRE(IsValidUtf8(discovered));
  FUZZ_REQUIRE(discovered == LastCharacters(dotted, 4));

  std::vector<std::string> chosenTail(
      c.end() - static_cast<std::ptrdiff_t>(std::min<std::size_t>(3, count)), c.end());
  chosenTail.insert(chosenTail.begin() + (chosenTail.empty() ? 0 : 1), ".");
  const std::string expectedChosen = Join(chosenTail, 0, chosenTail.size());
  FUZZ_REQUIRE(IsValidUtf8(chosen));
  FUZZ_REQUIRE(chosen == expectedChosen);

  FUZZ_REQUIRE(kernel.has_value() == (count >= 7));
  if (kernel) {
    FUZZ_REQUIRE(IsValidUtf8(*kernel));
    std::vector<std::string> expected = c;
    expected[count - 7] = "0";
    FUZZ_REQUIRE(*kernel == Join(expected, 0, count));
  }
}

}  // namespace

// Input: names separated by line feeds. Each is checked alone, then the list is ranked.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> names;
  std::size_t begin = 0;
  while (begin <= input.size() && names.size() < MAX_DISCOVERED_NAMES) {
    const std::size_t end = std::min(input.find('\n', begin), input.size());
    names.emplace_back(input.substr(begin, end - begin));
    begin = end + 1;
  }
  for (const std::string& name : names) {
    CheckName(name);
  }

  // The newest is the last of the names with the highest rank; none when every rank is 0.
  std::vector<std::uint32_t> ranks;
  for (const std::string& name : names) {
    ranks.push_back(FirmwareNameRank(name));
  }
  const std::uint32_t best = *std::ranges::max_element(ranks);
  std::optional<std::size_t> newest;
  if (best != 0) {
    newest = ranks.size() - 1 -
             static_cast<std::size_t>(std::ranges::find(ranks.rbegin(), ranks.rend(), best) -
                                      ranks.rbegin());
  }
  const std::optional<std::string> chosen = NewestFirmwareName(names);
  FUZZ_REQUIRE(chosen.has_value() == newest.has_value());
  if (chosen) {
    FUZZ_REQUIRE(*chosen == names[*newest]);
  }
  return 0;
}
