#include "drive/transfer_buffers.h"

#include <memory>

#include "drive/busy_flag.h"
#include "drive/request_block.h"

std::uint8_t* g_readBuffer = nullptr;
std::uint8_t* g_writeBuffer = nullptr;
std::uint8_t* g_inquiryBuffer = nullptr;

namespace {
std::unique_ptr<std::uint8_t[]> g_readStorage;
std::unique_ptr<std::uint8_t[]> g_writeStorage;
std::unique_ptr<std::uint8_t[]> g_inquiryStorage;
}  // namespace

void AllocateTransferBuffers() {
  g_haId = 0;
  g_targetId = 0;
  g_lun = 0;
  g_busy = 0;
  g_readStorage = std::make_unique<std::uint8_t[]>(READ_BUFFER_SIZE);
  g_writeStorage = std::make_unique<std::uint8_t[]>(WRITE_BUFFER_SIZE);
  g_inquiryStorage = std::make_unique<std::uint8_t[]>(INQUIRY_BUFFER_SIZE);
  g_readBuffer = g_readStorage.get();
  g_writeBuffer = g_writeStorage.get();
  g_inquiryBuffer = g_inquiryStorage.get();
}

void FreeTransferBuffers() {
  g_readBuffer = nullptr;
  g_writeBuffer = nullptr;
  g_inquiryBuffer = nullptr;
  g_readStorage.reset();
  g_writeStorage.reset();
  g_inquiryStorage.reset();
}
