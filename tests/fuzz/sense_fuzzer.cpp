// The outcome of a request from its status and sense bytes, and the sense text shown for it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "drive/drive_outcome.h"
#include "drive/request_block.h"
#include "drive/sense.h"
#include "fuzz_require.h"

namespace {

bool IsDefinedOutcome(DriveOutcome outcome) {
  switch (outcome) {
    case OUTCOME_OK:
    case OUTCOME_ERROR:
    case OUTCOME_NO_COMPLETION:
    case OUTCOME_NO_MEDIUM:
    case OUTCOME_BECOMING_READY:
    case OUTCOME_COMM_TIMEOUT:
    case OUTCOME_RESET:
    case OUTCOME_MEDIUM_CHANGED:
    case OUTCOME_INIT_REQUIRED:
    case OUTCOME_SELF_CONFIG_FAILED:
      return true;
  }
  return false;
}

// The sense key that each specific outcome belongs to: NOT READY, HARDWARE ERROR or UNIT
// ATTENTION; 0 for OK, none for the generic outcomes.
int SenseKeyOf(DriveOutcome outcome) {
  switch (outcome) {
    case OUTCOME_OK:
      return 0x0;
    case OUTCOME_NO_MEDIUM:
    case OUTCOME_BECOMING_READY:
    case OUTCOME_INIT_REQUIRED:
      return 0x2;
    case OUTCOME_COMM_TIMEOUT:
    case OUTCOME_SELF_CONFIG_FAILED:
      return 0x4;
    case OUTCOME_RESET:
    case OUTCOME_MEDIUM_CHANGED:
      return 0x6;
    default:
      return -1;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;  // upper case included: the text is lower case
}

// "kk-aa-qq", lower-case hex, back to its three values; -1 when it is not of that form.
int ParsedByte(const std::string& text, std::size_t at) {
  const int high = HexValue(text[at]);
  const int low = HexValue(text[at + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

void CheckSenseText(const std::string& text, std::uint8_t key, std::uint8_t asc,
                    std::uint8_t ascq) {
  FUZZ_REQUIRE(text.size() == 8);
  FUZZ_REQUIRE(text[2] == '-' && text[5] == '-');
  FUZZ_REQUIRE(ParsedByte(text, 0) == (key & 0x0F));
  FUZZ_REQUIRE(ParsedByte(text, 3) == asc);
  FUZZ_REQUIRE(ParsedByte(text, 6) == ascq);
}

void CheckClassification(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  const DriveOutcome outcome = ClassifySense(key, asc, ascq);
  FUZZ_REQUIRE(outcome != 4);
  FUZZ_REQUIRE(IsDefinedOutcome(outcome));
  // Sense data never says that a request did not complete.
  FUZZ_REQUIRE(outcome != OUTCOME_NO_COMPLETION);
  // Only "no sense" with nothing added is success.
  FUZZ_REQUIRE((outcome == OUTCOME_OK) == (key == 0 && asc == 0 && ascq == 0));
  // A filemark, end-of-medium or incorrect-length flag (or the reserved bit) makes any key an
  // error.
  if ((key & 0xF0) != 0) {
    FUZZ_REQUIRE(outcome == OUTCOME_ERROR);
  }
  if (outcome != OUTCOME_ERROR) {
    FUZZ_REQUIRE(SenseKeyOf(outcome) == key);
  }
}

}  // namespace

// Input: SRB status, adapter status, target status, then the sense area (missing bytes 0).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  g_srb = SRB_ExecSCSICmd{};
  if (size >= 3) {
    g_srb.SRB_Status = data[0];
    g_srb.SRB_HaStat = data[1];
    g_srb.SRB_TargStat = data[2];
    std::memcpy(g_srb.SenseArea, data + 3, std::min(size - 3, sizeof g_srb.SenseArea));
  }
  const std::uint8_t key = g_srb.SenseArea[2];
  const std::uint8_t asc = g_srb.SenseArea[12];
  const std::uint8_t ascq = g_srb.SenseArea[13];

  CheckClassification(key, asc, ascq);
  CheckSenseText(FormatSenseText(key, asc, ascq), key, asc, ascq);
  CheckSenseText(FormatSenseText(), key, asc, ascq);
  FUZZ_REQUIRE(ClassifySense() == ClassifySense(key, asc, ascq));

  const DriveOutcome outcome = RequestOutcome();
  FUZZ_REQUIRE(outcome != 4);
  FUZZ_REQUIRE(IsDefinedOutcome(outcome));
  if (g_srb.SRB_Status == SS_COMP) {
    FUZZ_REQUIRE(outcome == OUTCOME_OK);
  } else if (g_srb.SRB_Status == SS_PENDING) {
    FUZZ_REQUIRE(outcome == OUTCOME_NO_COMPLETION);
  } else if (g_srb.SRB_HaStat != HASTAT_OK || g_srb.SRB_TargStat != STATUS_CHKCOND) {
    // No sense data to read: an adapter failure, BUSY or another status.
    FUZZ_REQUIRE(outcome == OUTCOME_ERROR);
  } else {
    FUZZ_REQUIRE(outcome == ClassifySense(key, asc, ascq));
  }
  return 0;
}
