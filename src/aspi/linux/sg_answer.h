#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "aspi/linux/sg_executor.h"
#include "aspi/scsi_answer.h"

namespace drvflash::linux_sg {

// The target's CHECK CONDITION came without readable sense data.
inline constexpr BYTE HASTAT_REQUEST_SENSE_FAILED = 0x10;
inline constexpr BYTE HASTAT_BUS_RESET = 0x0E;
inline constexpr BYTE HASTAT_PARITY_ERROR = 0x0F;

// Sense data in fixed format (response code 0x70 or 0x71), so that the sense key byte, ASC
// and ASCQ stand at bytes 2, 12 and 13. Descriptor-format sense (0x72, 0x73) is converted;
// empty when `sense` is neither.
std::vector<BYTE> FixedFormatSenseOf(std::span<const BYTE> sense);

// How an SG_IO result reaches the requester, judged in this order: an OS error, then a
// transport failure (host or driver status), then CHECK CONDITION with its sense, then any
// other non-GOOD status, then GOOD. Data from the device is handed on only after GOOD, and
// only the bytes that were moved: a failed command may leave stale bytes in the buffer. Data to
// the device that did not all move is a data overrun/underrun, never GOOD: a firmware chunk
// the drive took only in part must not count as written.
ScsiAnswer AnswerFor(const SgResult& result, SgDirection direction, std::span<const BYTE> dataIn);

}  // namespace drvflash::linux_sg
