#include "aspi/sim/scenario.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace drvflash::sim {
namespace {

using nlohmann::json;

// A fault in the scenario, with where it is; caught by ParseScenario.
struct ScenarioFault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Refuse(const std::string& where, const std::string& problem) {
  throw ScenarioFault(where.empty() ? problem : where + ": " + problem);
}

std::string Child(const std::string& where, const std::string& key) {
  return where.empty() ? key : where + "." + key;
}

void OnlyKnownFields(const json& object, const std::string& where,
                     std::initializer_list<std::string_view> known) {
  for (const auto& [key, value] : object.items()) {
    bool found = false;
    for (std::string_view name : known) {
      found = found || key == name;
    }
    if (!found) {
      Refuse(Child(where, key), "unknown field");
    }
  }
}

const json& RequireObject(const json& value, const std::string& where) {
  if (!value.is_object()) {
    Refuse(where, "must be an object");
  }
  return value;
}

bool ReadBool(const json& object, const char* key, bool fallback, const std::string& where) {
  if (!object.contains(key)) {
    return fallback;
  }
  const json& value = object.at(key);
  if (!value.is_boolean()) {
    Refuse(Child(where, key), "must be true or false");
  }
  return value.get<bool>();
}

std::int64_t ReadInteger(const json& object, const char* key, std::int64_t fallback,
                         std::int64_t low, std::int64_t high, const std::string& where) {
  if (!object.contains(key)) {
    return fallback;
  }
  const json& value = object.at(key);
  if (!value.is_number_integer()) {
    Refuse(Child(where, key), "must be a whole number");
  }
  const bool isUnsigned = value.is_number_unsigned();
  const std::int64_t number =
      isUnsigned && value.get<std::uint64_t>() > static_cast<std::uint64_t>(high)
          ? high + 1
          : value.get<std::int64_t>();
  if (number < low || number > high) {
    Refuse(Child(where, key),
           "must be from " + std::to_string(low) + " to " + std::to_string(high));
  }
  return number;
}

std::string ReadString(const json& object, const char* key, const std::string& fallback,
                       const std::string& where) {
  if (!object.contains(key)) {
    return fallback;
  }
  const json& value = object.at(key);
  if (!value.is_string()) {
    Refuse(Child(where, key), "must be a string");
  }
  return value.get<std::string>();
}

// A fixed-width text: at most `width` bytes, padded with spaces.
std::string ReadText(const json& object, const char* key, std::string_view fallback,
                     std::size_t width, const std::string& where) {
  std::string text = ReadString(object, key, std::string(fallback), where);
  if (text.size() > width) {
    Refuse(Child(where, key),
           "\"" + text + "\" is longer than " + std::to_string(width) + " characters");
  }
  text.resize(width, ' ');
  return text;
}

InquiryText ReadInquiry(const json& target, const InquiryText& defaults, const std::string& where) {
  if (!target.contains("inquiry")) {
    return defaults;
  }
  const std::string here = Child(where, "inquiry");
  const json& inquiry = RequireObject(target.at("inquiry"), here);
  OnlyKnownFields(inquiry, here, {"vendor", "product", "revision"});
  return {ReadText(inquiry, "vendor", defaults.vendor, 8, here),
          ReadText(inquiry, "product", defaults.product, 16, here),
          ReadText(inquiry, "revision", defaults.revision, 4, here)};
}

IdBlockText ReadIdBlock(const json& target, const std::string& where) {
  const IdBlockText defaults{"SIM0000000000001", "HW-REV01", "ZEPHRA  ", "STD     "};
  if (!target.contains("id_block")) {
    return defaults;
  }
  const std::string here = Child(where, "id_block");
  const json& block = RequireObject(target.at("id_block"), here);
  OnlyKnownFields(block, here, {"serial", "hardware", "vendor", "variant"});
  return {ReadText(block, "serial", defaults.serial, 16, here),
          ReadText(block, "hardware", defaults.hardware, 8, here),
          ReadText(block, "vendor", defaults.vendor, 8, here),
          ReadText(block, "variant", defaults.variant, 8, here)};
}

DiscState ReadDisc(const json& target, const std::string& where) {
  const std::string disc = ReadString(target, "disc", "none", where);
  if (disc == "none") {
    return DiscState::None;
  }
  if (disc == "loaded") {
    return DiscState::Loaded;
  }
  if (disc == "becoming_ready") {
    return DiscState::BecomingReady;
  }
  if (disc == "init_required") {
    return DiscState::InitRequired;
  }
  Refuse(Child(where, "disc"),
         "\"" + disc + "\" is not one of none, loaded, becoming_ready, init_required");
}

TargetSpec ReadTarget(const json& value, const std::string& where,
                      const std::filesystem::path& baseDirectory) {
  const json& target = RequireObject(value, where);
  TargetSpec setup;
  const std::string kind = ReadString(target, "kind", "qtx517", where);
  if (kind == "other") {
    OnlyKnownFields(target, where, {"kind", "inquiry"});
    setup.kind = TargetSpec::Kind::Other;
    setup.inquiry = ReadInquiry(target, {"ACME    ", "DISK            ", "0001"}, where);
    return setup;
  }
  if (kind != "qtx517") {
    Refuse(Child(where, "kind"), "\"" + kind + "\" is not one of qtx517, other");
  }
  OnlyKnownFields(target, where,
                  {"kind", "inquiry", "id_block", "kernel_marker", "kernel_required", "disc",
                   "restart_ms", "state_file"});
  setup.inquiry = ReadInquiry(target, {"ROZUVAZ ", "QTX-517         ", "1.28"}, where);
  setup.idBlock = ReadIdBlock(target, where);
  setup.kernelMarker = ReadBool(target, "kernel_marker", false, where);
  setup.kernelRequired = ReadBool(target, "kernel_required", false, where);
  setup.disc = ReadDisc(target, where);
  setup.restart = Milliseconds{ReadInteger(target, "restart_ms", 3500, 0, 3600000, where)};
  if (target.contains("state_file")) {
    const std::string file = ReadString(target, "state_file", "", where);
    if (file.empty()) {
      Refuse(Child(where, "state_file"), "must name a file");
    }
    setup.stateFile = baseDirectory / file;
  }
  return setup;
}

std::map<std::uint8_t, TargetSpec> DefaultTargets() {
  TargetSpec drive;
  drive.inquiry = {"ROZUVAZ ", "QTX-517         ", "1.28"};
  drive.idBlock = {"SIM0000000000001", "HW-REV01", "ZEPHRA  ", "STD     "};
  TargetSpec other;
  other.kind = TargetSpec::Kind::Other;
  other.inquiry = {"ACME    ", "DISK            ", "0001"};
  return {{1, drive}, {4, other}};
}

std::uint8_t ReadTargetId(const std::string& key, const std::string& where) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), value);
  if (key.empty() || error != std::errc{} || end != key.data() + key.size() || value > 255) {
    Refuse(Child(where, key), "a target id must be a number from 0 to 255");
  }
  return static_cast<std::uint8_t>(value);
}

AdapterSpec ReadAdapter(const json& value, const std::string& where,
                        const std::filesystem::path& baseDirectory) {
  const json& adapter = RequireObject(value, where);
  OnlyKnownFields(adapter, where, {"identifier", "targets"});
  AdapterSpec setup;
  setup.identifier = ReadString(adapter, "identifier", "SIM HOST ADAPTER", where);
  if (setup.identifier.size() > 16) {
    Refuse(Child(where, "identifier"), "\"" + setup.identifier + "\" is longer than 16 characters");
  }
  if (!adapter.contains("targets")) {
    setup.targets = DefaultTargets();
    return setup;
  }
  const std::string here = Child(where, "targets");
  for (const auto& [key, target] : RequireObject(adapter.at("targets"), here).items()) {
    setup.targets[ReadTargetId(key, here)] = ReadTarget(target, Child(here, key), baseDirectory);
  }
  return setup;
}

// "kk-aa-qq" in hex.
FaultResult ReadSense(const json& value, const std::string& where) {
  if (!value.is_string()) {
    Refuse(where, "must be a string \"kk-aa-qq\"");
  }
  const std::string text = value.get<std::string>();
  FaultResult result;
  result.kind = FaultResult::Kind::Sense;
  std::uint8_t* parts[3] = {&result.senseKeyByte, &result.asc, &result.ascq};
  bool valid = text.size() == 8 && text[2] == '-' && text[5] == '-';
  for (int i = 0; valid && i < 3; ++i) {
    const char* begin = text.data() + i * 3;
    const auto [end, error] = std::from_chars(begin, begin + 2, *parts[i], 16);
    valid = error == std::errc{} && end == begin + 2;
  }
  if (!valid) {
    Refuse(where, "\"" + text + "\" is not a sense triple kk-aa-qq in hex");
  }
  return result;
}

FaultResult ReadResult(const json& rule, const std::string& where) {
  const std::string here = Child(where, "result");
  if (!rule.contains("result")) {
    Refuse(here, "missing");
  }
  const json& value = rule.at("result");
  FaultResult result;
  if (value.is_string()) {
    const std::string name = value.get<std::string>();
    if (name == "no_completion") {
      result.kind = FaultResult::Kind::NoCompletion;
    } else if (name == "host_error") {
      result.kind = FaultResult::Kind::HostError;
    } else if (name == "busy") {
      result.kind = FaultResult::Kind::Busy;
    } else if (name == "drop") {
      result.kind = FaultResult::Kind::Drop;
    } else {
      Refuse(here, "\"" + name + "\" is not one of no_completion, host_error, busy, drop");
    }
    return result;
  }
  if (value.is_object() && value.size() == 1 && value.contains("sense")) {
    return ReadSense(value.at("sense"), Child(here, "sense"));
  }
  if (value.is_object() && value.size() == 1 && value.contains("delay_ms")) {
    result.kind = FaultResult::Kind::Delay;
    result.delay = Milliseconds{ReadInteger(value, "delay_ms", 0, 0, 3600000, here)};
    return result;
  }
  Refuse(here,
         "must be {\"sense\": \"kk-aa-qq\"}, {\"delay_ms\": N}, \"no_completion\", "
         "\"host_error\", \"busy\" or \"drop\"");
}

FaultRule ReadFault(const json& value, const std::string& where) {
  const json& rule = RequireObject(value, where);
  OnlyKnownFields(
      rule, where,
      {"ha", "target", "command", "mode", "buffer_id", "offset", "from", "count", "result"});
  FaultRule fault;
  fault.ha = static_cast<std::uint8_t>(ReadInteger(rule, "ha", 0, 0, 255, where));
  fault.target = static_cast<std::uint8_t>(ReadInteger(rule, "target", 1, 0, 255, where));
  if (!rule.contains("command")) {
    Refuse(Child(where, "command"), "missing");
  }
  const std::string command = ReadString(rule, "command", "", where);
  if (command == "test_unit_ready") {
    fault.command = FaultCommand::TestUnitReady;
  } else if (command == "inquiry") {
    fault.command = FaultCommand::Inquiry;
  } else if (command == "read_buffer") {
    fault.command = FaultCommand::ReadBuffer;
  } else if (command == "write_buffer") {
    fault.command = FaultCommand::WriteBuffer;
  } else {
    Refuse(Child(where, "command"), "\"" + command +
                                        "\" is not one of test_unit_ready, inquiry, "
                                        "read_buffer, write_buffer");
  }
  const bool bufferCommand =
      fault.command == FaultCommand::ReadBuffer || fault.command == FaultCommand::WriteBuffer;
  for (const char* key : {"mode", "buffer_id", "offset"}) {
    if (!bufferCommand && rule.contains(key)) {
      Refuse(Child(where, key), "applies to read_buffer and write_buffer only");
    }
  }
  if (rule.contains("mode")) {
    fault.mode = static_cast<std::uint8_t>(ReadInteger(rule, "mode", 0, 0, 255, where));
  }
  if (rule.contains("buffer_id")) {
    fault.bufferId = static_cast<std::uint8_t>(ReadInteger(rule, "buffer_id", 0, 0, 255, where));
  }
  if (rule.contains("offset")) {
    fault.offset = static_cast<std::uint32_t>(ReadInteger(rule, "offset", 0, 0, 0xFFFFFF, where));
  }
  fault.from = ReadInteger(rule, "from", 1, 1, INT64_MAX, where);
  fault.count = ReadInteger(rule, "count", -1, -1, INT64_MAX, where);
  fault.result = ReadResult(rule, where);
  return fault;
}

Scenario ReadScenario(const json& root, const std::filesystem::path& baseDirectory) {
  RequireObject(root, "the scenario");
  OnlyKnownFields(root, "", {"usable", "adapters", "faults"});
  Scenario scenario;
  scenario.usable = ReadBool(root, "usable", true, "");
  if (!root.contains("adapters")) {
    scenario.adapters.push_back({"SIM HOST ADAPTER", DefaultTargets()});
  } else {
    const json& adapters = root.at("adapters");
    if (!adapters.is_array()) {
      Refuse("adapters", "must be a list");
    }
    if (adapters.size() > 255) {
      Refuse("adapters", "more than 255 adapters");
    }
    for (std::size_t i = 0; i < adapters.size(); ++i) {
      scenario.adapters.push_back(
          ReadAdapter(adapters[i], "adapters[" + std::to_string(i) + "]", baseDirectory));
    }
  }
  if (root.contains("faults")) {
    const json& faults = root.at("faults");
    if (!faults.is_array()) {
      Refuse("faults", "must be a list");
    }
    for (std::size_t i = 0; i < faults.size(); ++i) {
      scenario.faults.push_back(ReadFault(faults[i], "faults[" + std::to_string(i) + "]"));
    }
  }
  return scenario;
}

}  // namespace

ScenarioLoad ParseScenario(std::string_view text, const std::string& source,
                           const std::filesystem::path& baseDirectory) {
  ScenarioLoad load;
  json root;
  try {
    root = json::parse(text);
  } catch (const json::exception& error) {  // a syntax fault, or a number out of range
    load.error = source + ": not valid JSON: " + error.what();
    return load;
  }
  try {
    load.scenario = ReadScenario(root, baseDirectory);
  } catch (const ScenarioFault& fault) {
    load.error = source + ": " + fault.what();
  } catch (const json::exception& error) {
    load.error = source + ": " + error.what();
  }
  return load;
}

ScenarioLoad LoadScenarioFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    return {std::nullopt, file.string() + ": cannot be read: not an existing file"};
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    return {std::nullopt, file.string() + ": cannot be read: " + std::strerror(errno)};
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    return {std::nullopt, file.string() + ": cannot be read"};
  }
  return ParseScenario(text.str(), file.string(), file.parent_path());
}

}  // namespace drvflash::sim
