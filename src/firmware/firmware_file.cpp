#include "firmware/firmware_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

std::optional<FirmwareFile> FirmwareFile::Open(const std::string& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return std::nullopt;
  }
  FirmwareFile file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return std::nullopt;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return std::nullopt;
  }
  return file;
}

FirmwareFile::FirmwareFile(FirmwareFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FirmwareFile& FirmwareFile::operator=(FirmwareFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FirmwareFile::~FirmwareFile() {
  if (fd_ >= 0) {
    ::close(fd_);  // releases the lock too
  }
}

std::uint64_t FirmwareFile::Size() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::optional<FirmwareHeader> FirmwareFile::ReadHeader() const {
  FirmwareHeader header{};
  auto* bytes = reinterpret_cast<std::uint8_t*>(&header);
  std::size_t done = 0;
  while (done < sizeof header) {
    const ssize_t n = ::pread(fd_, bytes + done, sizeof header - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return std::nullopt;
    }
    done += static_cast<std::size_t>(n);
  }
  return header;
}

std::size_t FirmwareFile::Read(std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = ::read(fd_, buffer.data() + done, buffer.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}
