#pragma once

#include <cstdint>

#include "drive/drive_outcome.h"
#include "platform/clock.h"

// How long each command waits for the drive. INQUIRY of the selected drive and READ BUFFER
// are bounded too, so that a drive that never answers cannot freeze the tool.
inline constexpr drvflash::Milliseconds TEST_UNIT_READY_TIMEOUT{35000};
inline constexpr drvflash::Milliseconds WRITE_BUFFER_TIMEOUT{35000};
inline constexpr drvflash::Milliseconds INQUIRY_TIMEOUT{60000};
inline constexpr drvflash::Milliseconds READ_BUFFER_TIMEOUT{60000};
inline constexpr drvflash::Milliseconds SCAN_INQUIRY_TIMEOUT{20};

// A drive that answers unit attention for ever must not hold a transfer for ever: past this
// many resends of one chunk the transfer ends with OUTCOME_ERROR.
inline constexpr int MAX_UNIT_ATTENTION_RESENDS = 8;

// The pause before each mode-switch command.
inline constexpr drvflash::Milliseconds SIGNATURE_PAUSE{30};

// Every command addresses g_haId, g_targetId, g_lun and reports nothing itself.
DriveOutcome TestUnitReady();
// Clears g_inquiryBuffer, then reads 254 bytes of INQUIRY data into it.
DriveOutcome Inquiry();

// Chunked transfers between the drive's buffer `bufferId` and g_readBuffer / g_writeBuffer:
// chunk k moves bytes k*chunk.. of the transfer buffer to or from drive offset
// offset + k*chunk; the first chunk carries `bufferId`, later ones buffer id 0. A chunk
// answered with unit attention is sent again. Never yields OUTCOME_RESET or
// OUTCOME_MEDIUM_CHANGED; a total of 0 sends nothing and yields OUTCOME_NO_COMPLETION.
DriveOutcome ReadBuffer(std::uint8_t mode, std::uint8_t bufferId, std::uint32_t offset,
                        std::uint32_t totalLength, std::uint32_t chunkLength);
DriveOutcome WriteBuffer(std::uint8_t mode, std::uint8_t bufferId, std::uint32_t offset,
                         std::uint32_t totalLength, std::uint32_t chunkLength);

// The 48-byte DriveIdBlock into g_readBuffer.
DriveOutcome ReadDriveIdBlock();

// 1 when the drive's kernel marker says that its kernel part must be written, else 0. A failed
// read is not examined: the byte that g_readBuffer holds is tested.
int ProbeKernelMarker();

// MODE_SWITCH_SIGNATURE into bytes 0-15 of g_writeBuffer, bytes 16-255 cleared, a pause, then
// WRITE BUFFER of those 256 bytes to buffer 0xFF with `mode` (4: open download, 5: close it).
DriveOutcome WriteSignature(std::uint8_t mode);
