#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "firmware/firmware_header.h"

// A firmware file opened for reading: an existing regular file (a directory, FIFO or device is
// refused without blocking), held with an exclusive advisory lock so that no other opener that
// also locks it shares it meanwhile. Closed when destroyed.
class FirmwareFile {
 public:
  static std::optional<FirmwareFile> Open(const std::string& path);

  FirmwareFile(FirmwareFile&& other) noexcept;
  FirmwareFile& operator=(FirmwareFile&& other) noexcept;
  FirmwareFile(const FirmwareFile&) = delete;
  FirmwareFile& operator=(const FirmwareFile&) = delete;
  ~FirmwareFile();

  // Size of the file now, in bytes.
  std::uint64_t Size() const;

  // The header, when the file holds all 320 bytes of it.
  std::optional<FirmwareHeader> ReadHeader() const;

  // Reads the next bytes, from where the previous read stopped, into `buffer`; the count read.
  std::size_t Read(std::span<std::uint8_t> buffer);

 private:
  explicit FirmwareFile(int fd) : fd_(fd) {}
  int fd_ = -1;
};
