#include "aspi/linux/sg_answer.h"

#include <algorithm>
#include <cerrno>

namespace drvflash::linux_sg {
namespace {

// Linux host_status values (DID_*).
constexpr std::uint16_t DID_OK = 0x00;
constexpr std::uint16_t DID_NO_CONNECT = 0x01;
constexpr std::uint16_t DID_BUS_BUSY = 0x02;
constexpr std::uint16_t DID_TIME_OUT = 0x03;
constexpr std::uint16_t DID_BAD_TARGET = 0x04;
constexpr std::uint16_t DID_ABORT = 0x05;
constexpr std::uint16_t DID_PARITY = 0x06;
constexpr std::uint16_t DID_RESET = 0x08;

// driver_status: the low four bits; DRIVER_SENSE only says that sense data is there.
constexpr std::uint16_t DRIVER_STATUS_MASK = 0x0F;
constexpr std::uint16_t DRIVER_OK = 0x00;
constexpr std::uint16_t DRIVER_TIMEOUT = 0x06;
constexpr std::uint16_t DRIVER_SENSE = 0x08;

BYTE HaStatOfHost(std::uint16_t hostStatus) {
  switch (hostStatus) {
    case DID_NO_CONNECT:
    case DID_BAD_TARGET:
      return HASTAT_SEL_TO;
    case DID_BUS_BUSY:
      return HASTAT_TIMEOUT;
    case DID_TIME_OUT:
    case DID_ABORT:
      return HASTAT_COMMAND_TIMEOUT;
    case DID_PARITY:
      return HASTAT_PARITY_ERROR;
    case DID_RESET:
      return HASTAT_BUS_RESET;
    default:
      return HASTAT_PHASE_ERR;
  }
}

BYTE HaStatOfOsError(int osError) {
  switch (osError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return HASTAT_SEL_TO;
    case ETIMEDOUT:
      return HASTAT_COMMAND_TIMEOUT;
    default:
      return HASTAT_PHASE_ERR;
  }
}

ScsiAnswer Failure(BYTE haStat, BYTE targStat) {
  ScsiAnswer answer;
  answer.status = SS_ERR;
  answer.haStat = haStat;
  answer.targStat = targStat;
  return answer;
}

}  // namespace

std::vector<BYTE> FixedFormatSenseOf(std::span<const BYTE> sense) {
  if (sense.empty()) {
    return {};
  }
  const BYTE responseCode = sense[0] & 0x7F;
  if (responseCode == 0x70 || responseCode == 0x71) {
    return {sense.begin(), sense.end()};
  }
  if ((responseCode != 0x72 && responseCode != 0x73) || sense.size() < 4) {
    return {};
  }
  std::vector<BYTE> fixed(18, 0);
  fixed[0] = responseCode == 0x72 ? 0x70 : 0x71;
  fixed[2] = sense[1] & 0x0F;
  fixed[7] = 10;
  fixed[12] = sense[2];
  fixed[13] = sense[3];
  // Carry over the descriptors that have a place in the fixed format.
  const std::size_t end =
      std::min<std::size_t>(sense.size(), 8u + (sense.size() > 7 ? sense[7] : 0));
  for (std::size_t at = 8; at + 2 <= end;) {
    const BYTE type = sense[at];
    const std::size_t length = sense[at + 1];
    if (at + 2 + length > end) {
      break;
    }
    const std::span<const BYTE> body = sense.subspan(at + 2, length);
    if (type == 0x00 && length >= 10 &&
        std::all_of(body.begin() + 2, body.begin() + 6, [](BYTE b) { return b == 0; })) {
      fixed[0] |= body[0] & 0x80;  // VALID
      std::copy_n(body.begin() + 6, 4, fixed.begin() + 3);
    } else if (type == 0x02 && length >= 6) {
      std::copy_n(body.begin() + 2, 3, fixed.begin() + 15);
    } else if (type == 0x04 && length >= 2) {
      fixed[2] |= body[1] & 0xE0;  // filemark, end of medium, incorrect length
    }
    at += 2 + length;
  }
  return fixed;
}

ScsiAnswer AnswerFor(const SgResult& result, SgDirection direction, std::span<const BYTE> dataIn) {
  if (result.osError != 0) {
    ScsiAnswer answer = Failure(HaStatOfOsError(result.osError), STATUS_GOOD);
    answer.osError = result.osError;
    return answer;
  }
  const std::uint16_t driverStatus = result.driverStatus & DRIVER_STATUS_MASK;
  if (result.hostStatus != DID_OK) {
    return Failure(HaStatOfHost(result.hostStatus), STATUS_GOOD);
  }
  if (driverStatus != DRIVER_OK && driverStatus != DRIVER_SENSE) {
    return Failure(driverStatus == DRIVER_TIMEOUT ? HASTAT_COMMAND_TIMEOUT : HASTAT_PHASE_ERR,
                   STATUS_GOOD);
  }
  if (result.status == STATUS_CHKCOND) {
    std::vector<BYTE> sense = FixedFormatSenseOf(result.sense);
    if (sense.empty()) {
      // Without sense the requester would read a cleared sense area as "no sense": success.
      return Failure(HASTAT_REQUEST_SENSE_FAILED, STATUS_CHKCOND);
    }
    ScsiAnswer answer = Failure(HASTAT_OK, STATUS_CHKCOND);
    answer.sense = std::move(sense);
    return answer;
  }
  if (result.status != STATUS_GOOD) {
    return Failure(HASTAT_OK, result.status);
  }
  if (direction == SgDirection::ToDevice && result.resid > 0) {
    return Failure(HASTAT_DO_DU, STATUS_GOOD);
  }
  const std::size_t moved = result.resid > 0
                                ? dataIn.size() - std::min<std::size_t>(result.resid, dataIn.size())
                                : dataIn.size();
  return ScsiAnswer::Good({dataIn.begin(), dataIn.begin() + static_cast<std::ptrdiff_t>(moved)});
}

}  // namespace drvflash::linux_sg
