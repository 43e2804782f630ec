// The scenario parser of the simulated drive: any text is either refused with a message that
// names its source, or yields a scenario that keeps every limit of the format, reads back the
// same when written out again, and builds a simulated setup.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "aspi/aspi.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_aspi_layer.h"
#include "fuzz_require.h"

namespace {

using drvflash::sim::AdapterSpec;
using drvflash::sim::DiscState;
using drvflash::sim::FaultCommand;
using drvflash::sim::FaultResult;
using drvflash::sim::FaultRule;
using drvflash::sim::ParseScenario;
using drvflash::sim::Scenario;
using drvflash::sim::ScenarioLoad;
using drvflash::sim::SimulatedAspiLayer;
using drvflash::sim::TargetSpec;
using nlohmann::json;

constexpr std::string_view kSource = "fuzz.json";
constexpr std::int64_t kLongestMs = 3600000;

void CheckTarget(const TargetSpec& target) {
  FUZZ_REQUIRE(target.inquiry.vendor.size() == 8);
  FUZZ_REQUIRE(target.inquiry.product.size() == 16);
  FUZZ_REQUIRE(target.inquiry.revision.size() == 4);
  if (target.kind == TargetSpec::Kind::Other) {
    FUZZ_REQUIRE(!target.stateFile);
    return;
  }
  FUZZ_REQUIRE(target.idBlock.serial.size() == 16);
  FUZZ_REQUIRE(target.idBlock.hardware.size() == 8);
  FUZZ_REQUIRE(target.idBlock.vendor.size() == 8);
  FUZZ_REQUIRE(target.idBlock.variant.size() == 8);
  FUZZ_REQUIRE(target.restart.count() >= 0 && target.restart.count() <= kLongestMs);
  FUZZ_REQUIRE(!target.stateFile || !target.stateFile->empty());
}

void CheckFault(const FaultRule& fault) {
  const bool bufferCommand =
      fault.command == FaultCommand::ReadBuffer || fault.command == FaultCommand::WriteBuffer;
  FUZZ_REQUIRE(bufferCommand || (!fault.mode && !fault.bufferId && !fault.offset));
  FUZZ_REQUIRE(!fault.offset || *fault.offset <= 0xFFFFFF);
  FUZZ_REQUIRE(fault.from >= 1);
  FUZZ_REQUIRE(fault.count >= -1);
  const FaultResult& result = fault.result;
  if (result.kind == FaultResult::Kind::Delay) {
    FUZZ_REQUIRE(result.delay.count() >= 0 && result.delay.count() <= kLongestMs);
  } else {
    FUZZ_REQUIRE(result.delay.count() == 0);
  }
  if (result.kind != FaultResult::Kind::Sense) {
    FUZZ_REQUIRE(result.senseKeyByte == 0 && result.asc == 0 && result.ascq == 0);
  }
}

const char* DiscName(DiscState disc) {
  switch (disc) {
    case DiscState::None:
      return "none";
    case DiscState::Loaded:
      return "loaded";
    case DiscState::BecomingReady:
      return "becoming_ready";
    case DiscState::InitRequired:
      return "init_required";
  }
  return "";
}

const char* CommandName(FaultCommand command) {
  switch (command) {
    case FaultCommand::TestUnitReady:
      return "test_unit_ready";
    case FaultCommand::Inquiry:
      return "inquiry";
    case FaultCommand::ReadBuffer:
      return "read_buffer";
    case FaultCommand::WriteBuffer:
      return "write_buffer";
  }
  return "";
}

json ResultJson(const FaultResult& result) {
  switch (result.kind) {
    case FaultResult::Kind::Sense: {
      char text[9];
      std::snprintf(text, sizeof text, "%02x-%02x-%02x", result.senseKeyByte, result.asc,
                    result.ascq);
      return {{"sense", text}};
    }
    case FaultResult::Kind::NoCompletion:
      return "no_completion";
    case FaultResult::Kind::HostError:
      return "host_error";
    case FaultResult::Kind::Busy:
      return "busy";
    case FaultResult::Kind::Drop:
      return "drop";
    case FaultResult::Kind::Delay:
      return {{"delay_ms", result.delay.count()}};
  }
  return nullptr;
}

// The scenario written out with every field explicit.
json ScenarioJson(const Scenario& scenario) {
  json adapters = json::array();
  for (const AdapterSpec& adapter : scenario.adapters) {
    json targets = json::object();
    for (const auto& [id, target] : adapter.targets) {
      json inquiry = {{"vendor", target.inquiry.vendor},
                      {"product", target.inquiry.product},
                      {"revision", target.inquiry.revision}};
      json described;
      if (target.kind == TargetSpec::Kind::Other) {
        described = {{"kind", "other"}, {"inquiry", inquiry}};
      } else {
        described = {{"kind", "qtx517"},
                     {"inquiry", inquiry},
                     {"id_block",
                      {{"serial", target.idBlock.serial},
                       {"hardware", target.idBlock.hardware},
                       {"vendor", target.idBlock.vendor},
                       {"variant", target.idBlock.variant}}},
                     {"kernel_marker", target.kernelMarker},
                     {"kernel_required", target.kernelRequired},
                     {"disc", DiscName(target.disc)},
                     {"restart_ms", target.restart.count()}};
        if (target.stateFile) {
          described["state_file"] = target.stateFile->string();
        }
      }
      targets[std::to_string(id)] = described;
    }
    adapters.push_back({{"identifier", adapter.identifier}, {"targets", targets}});
  }
  json faults = json::array();
  for (const FaultRule& fault : scenario.faults) {
    json rule = {
        {"ha", fault.ha},     {"target", fault.target}, {"command", CommandName(fault.command)},
        {"from", fault.from}, {"count", fault.count},   {"result", ResultJson(fault.result)}};
    if (fault.mode) {
      rule["mode"] = *fault.mode;
    }
    if (fault.bufferId) {
      rule["buffer_id"] = *fault.bufferId;
    }
    if (fault.offset) {
      rule["offset"] = *fault.offset;
    }
    faults.push_back(rule);
  }
  return {{"usable", scenario.usable}, {"adapters", adapters}, {"faults", faults}};
}

// The simulated setup built from the scenario (without its state files, which are read from
// disk) shows the scenario's adapters.
void CheckSetup(Scenario scenario) {
  for (AdapterSpec& adapter : scenario.adapters) {
    for (auto& [id, target] : adapter.targets) {
      target.stateFile.reset();
    }
  }
  std::string error;
  const std::unique_ptr<SimulatedAspiLayer> layer = SimulatedAspiLayer::Create(scenario, error);
  FUZZ_REQUIRE(layer != nullptr);
  const DWORD support = layer->GetSupportInfo();
  if (!scenario.usable) {
    FUZZ_REQUIRE((support >> 8 & 0xFF) != SS_COMP);
    return;
  }
  FUZZ_REQUIRE((support >> 8 & 0xFF) == SS_COMP);
  FUZZ_REQUIRE((support & 0xFF) == scenario.adapters.size());
  for (std::size_t ha = 0; ha < scenario.adapters.size(); ++ha) {
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = static_cast<BYTE>(ha);
    FUZZ_REQUIRE(layer->InquireHostAdapter(srb) == SS_COMP);
    const std::string& identifier = scenario.adapters[ha].identifier;
    FUZZ_REQUIRE(std::memcmp(srb.HA_Identifier, identifier.data(), identifier.size()) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ScenarioLoad load = ParseScenario(text, std::string(kSource), {});
  // Exactly one of a scenario and a message; the message names the file.
  FUZZ_REQUIRE(load.scenario.has_value() == load.error.empty());
  if (!load.scenario) {
    FUZZ_REQUIRE(load.error.starts_with(std::string(kSource) + ": "));
    return 0;
  }
  const Scenario& scenario = *load.scenario;
  FUZZ_REQUIRE(scenario.adapters.size() <= 255);
  for (const AdapterSpec& adapter : scenario.adapters) {
    FUZZ_REQUIRE(adapter.identifier.size() <= 16);
    for (const auto& [id, target] : adapter.targets) {
      CheckTarget(target);
    }
  }
  for (const FaultRule& fault : scenario.faults) {
    CheckFault(fault);
  }

  const json written = ScenarioJson(scenario);
  const ScenarioLoad reread = ParseScenario(written.dump(), std::string(kSource), {});
  FUZZ_REQUIRE(reread.scenario.has_value());
  FUZZ_REQUIRE(ScenarioJson(*reread.scenario) == written);

  CheckSetup(scenario);
  return 0;
}
