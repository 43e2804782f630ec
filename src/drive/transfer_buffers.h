#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t READ_BUFFER_SIZE = 0x20000;
inline constexpr std::size_t WRITE_BUFFER_SIZE = 0x20000;
inline constexpr std::size_t INQUIRY_BUFFER_SIZE = 254;

// Data of READ BUFFER (identification block, kernel marker).
extern std::uint8_t* g_readBuffer;
// Data of WRITE BUFFER (signature transfer, firmware chunks).
extern std::uint8_t* g_writeBuffer;
// INQUIRY data.
extern std::uint8_t* g_inquiryBuffer;

// Resets the drive address and the busy flag, then allocates the three buffers (zero-filled, so
// that a byte tested after a failed read is never indeterminate). Called once before the first
// drive scan; a second call replaces the buffers.
void AllocateTransferBuffers();

// Releases the buffers; never while a worker runs.
void FreeTransferBuffers();
