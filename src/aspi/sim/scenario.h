#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace drvflash::sim {

// What a simulated setup holds: adapters, the devices on their targets, and the faults to
// inject. Read from a scenario file; every text is already padded to its field's width.

enum class DiscState { None, Loaded, BecomingReady, InitRequired };

struct InquiryText {
  std::string vendor;    // 8 characters
  std::string product;   // 16
  std::string revision;  // 4
};

struct IdBlockText {
  std::string serial;    // 16
  std::string hardware;  // 8
  std::string vendor;    // 8
  std::string variant;   // 8
};

struct TargetSpec {
  enum class Kind { Qtx517, Other };
  Kind kind = Kind::Qtx517;
  InquiryText inquiry;
  IdBlockText idBlock;
  bool kernelMarker = false;
  bool kernelRequired = false;
  DiscState disc = DiscState::None;
  Milliseconds restart{3500};
  std::optional<std::filesystem::path> stateFile;
};

struct AdapterSpec {
  std::string identifier;  // at most 16 characters
  std::map<std::uint8_t, TargetSpec> targets;
};

enum class FaultCommand { TestUnitReady, Inquiry, ReadBuffer, WriteBuffer };

struct FaultResult {
  enum class Kind { Sense, NoCompletion, HostError, Busy, Drop, Delay };
  Kind kind = Kind::Drop;
  std::uint8_t senseKeyByte = 0;  // Sense
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  Milliseconds delay{0};  // Delay
};

struct FaultRule {
  std::uint8_t ha = 0;
  std::uint8_t target = 1;
  FaultCommand command = FaultCommand::TestUnitReady;
  // Buffer commands only; unset matches any.
  std::optional<std::uint8_t> mode;
  std::optional<std::uint8_t> bufferId;
  std::optional<std::uint32_t> offset;
  std::int64_t from = 1;    // the first matching request it answers, counted from 1
  std::int64_t count = -1;  // how many it answers from there; -1: all
  FaultResult result;
};

struct Scenario {
  bool usable = true;
  std::vector<AdapterSpec> adapters;
  std::vector<FaultRule> faults;
};

// A scenario, or why it was refused: a message that names the file and the fault.
struct ScenarioLoad {
  std::optional<Scenario> scenario;
  std::string error;
};

// Parses scenario JSON. `source` names it in messages; a state file is taken relative to
// `baseDirectory`. Fields left out take the defaults of the format; unknown fields, texts
// longer than their field, and values out of range are refused.
ScenarioLoad ParseScenario(std::string_view json, const std::string& source,
                           const std::filesystem::path& baseDirectory);

// Reads and parses a scenario file; its state file is relative to the file's folder.
ScenarioLoad LoadScenarioFile(const std::filesystem::path& file);

}  // namespace drvflash::sim
