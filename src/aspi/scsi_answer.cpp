#include "aspi/scsi_answer.h"

#include <utility>

namespace drvflash {

std::vector<BYTE> FixedFormatSense(BYTE senseKey, BYTE asc, BYTE ascq) {
  std::vector<BYTE> sense(18, 0);
  sense[0] = 0x70;      // current error, fixed format
  sense[2] = senseKey;  // flags and sense key
  sense[7] = 10;        // additional sense length
  sense[12] = asc;
  sense[13] = ascq;
  return sense;
}

ScsiAnswer ScsiAnswer::Good(std::vector<BYTE> data) {
  ScsiAnswer answer;
  answer.dataIn = std::move(data);
  return answer;
}

ScsiAnswer ScsiAnswer::CheckCondition(BYTE senseKey, BYTE asc, BYTE ascq) {
  ScsiAnswer answer;
  answer.status = SS_ERR;
  answer.targStat = STATUS_CHKCOND;
  answer.sense = FixedFormatSense(senseKey, asc, ascq);
  return answer;
}

ScsiAnswer ScsiAnswer::HostError(BYTE haStat) {
  ScsiAnswer answer;
  answer.status = SS_ERR;
  answer.haStat = haStat;
  return answer;
}

ScsiAnswer ScsiAnswer::TargetStatus(BYTE targStat) {
  ScsiAnswer answer;
  answer.status = SS_ERR;
  answer.targStat = targStat;
  return answer;
}

}  // namespace drvflash
