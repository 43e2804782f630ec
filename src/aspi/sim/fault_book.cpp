#include "aspi/sim/fault_book.h"

#include "aspi/sim/simulated_device.h"

namespace drvflash::sim {
namespace {

std::optional<FaultCommand> CommandOf(std::span<const BYTE> cdb) {
  if (cdb.empty()) {
    return std::nullopt;
  }
  switch (cdb[0]) {
    case OP_TEST_UNIT_READY:
      return FaultCommand::TestUnitReady;
    case OP_INQUIRY:
      return FaultCommand::Inquiry;
    case OP_READ_BUFFER:
      return FaultCommand::ReadBuffer;
    case OP_WRITE_BUFFER:
      return FaultCommand::WriteBuffer;
    default:
      return std::nullopt;
  }
}

bool Matches(const FaultRule& rule, std::uint8_t ha, std::uint8_t target,
             std::span<const BYTE> cdb) {
  if (rule.ha != ha || rule.target != target || CommandOf(cdb) != rule.command) {
    return false;
  }
  if (!rule.mode && !rule.bufferId && !rule.offset) {
    return true;
  }
  if (cdb.size() < 6) {
    return false;
  }
  const std::uint32_t offset =
      (std::uint32_t{cdb[3]} << 16) | (std::uint32_t{cdb[4]} << 8) | cdb[5];
  return (!rule.mode || *rule.mode == cdb[1]) && (!rule.bufferId || *rule.bufferId == cdb[2]) &&
         (!rule.offset || *rule.offset == offset);
}

}  // namespace

FaultBook::FaultBook(std::vector<FaultRule> rules)
    : rules_(std::move(rules)), matched_(rules_.size(), 0) {}

std::optional<FaultResult> FaultBook::Match(std::uint8_t ha, std::uint8_t target,
                                            std::span<const BYTE> cdb) {
  std::optional<FaultResult> result;
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const FaultRule& rule = rules_[i];
    if (!Matches(rule, ha, target, cdb)) {
      continue;
    }
    const std::int64_t nth = ++matched_[i];
    const bool inWindow = nth >= rule.from && (rule.count < 0 || nth - rule.from < rule.count);
    if (inWindow && !result) {
      result = rule.result;
    }
  }
  return result;
}

}  // namespace drvflash::sim
