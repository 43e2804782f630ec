#include "drive/sense.h"

#include <array>
#include <cstdio>

DriveOutcome ClassifySense(std::uint8_t senseKeyByte, std::uint8_t asc, std::uint8_t ascq) {
  struct Rule {
    std::uint8_t key, asc, ascq;
    DriveOutcome outcome;
  };
  static constexpr std::array<Rule, 8> kRules{{
      {0x00, 0x00, 0x00, OUTCOME_OK},
      {0x02, 0x04, 0x01, OUTCOME_BECOMING_READY},
      {0x02, 0x04, 0x02, OUTCOME_INIT_REQUIRED},
      {0x02, 0x3A, 0x00, OUTCOME_NO_MEDIUM},
      {0x04, 0x08, 0x01, OUTCOME_COMM_TIMEOUT},
      {0x04, 0x4C, 0x00, OUTCOME_SELF_CONFIG_FAILED},
      {0x06, 0x28, 0x00, OUTCOME_MEDIUM_CHANGED},
      {0x06, 0x29, 0x00, OUTCOME_RESET},
  }};
  for (const Rule& rule : kRules) {
    if (rule.key == senseKeyByte && rule.asc == asc && rule.ascq == ascq) {
      return rule.outcome;
    }
  }
  return OUTCOME_ERROR;
}

std::string FormatSenseText(std::uint8_t senseKeyByte, std::uint8_t asc, std::uint8_t ascq) {
  std::array<char, 9> text{};
  std::snprintf(text.data(), text.size(), "%02x-%02x-%02x", senseKeyByte & 0x0Fu, asc, ascq);
  return text.data();
}
