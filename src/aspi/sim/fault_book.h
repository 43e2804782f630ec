#pragma once

#include <optional>
#include <span>
#include <vector>

#include "aspi/aspi.h"
#include "aspi/sim/scenario.h"

namespace drvflash::sim {

// The scenario's fault rules and how many requests each has matched so far.
class FaultBook {
 public:
  explicit FaultBook(std::vector<FaultRule> rules);

  // Counts the request against every rule that matches it; returns the result of the first
  // rule whose window (from the from-th match on, count times) takes it in.
  std::optional<FaultResult> Match(std::uint8_t ha, std::uint8_t target, std::span<const BYTE> cdb);

 private:
  std::vector<FaultRule> rules_;
  std::vector<std::int64_t> matched_;
};

}  // namespace drvflash::sim
