#include "aspi/sim/qtx517_drive.h"

#include <algorithm>
#include <iostream>
#include <string_view>

namespace drvflash::sim {
namespace {

constexpr BYTE kCdRomDevice = 0x05;
constexpr std::string_view kSignature = "KORVANE QTX-M482";
constexpr std::string_view kKernelRevision = "0000";

constexpr BYTE kReadDataMode = 2;
constexpr BYTE kOpenDownloadMode = 4;
constexpr BYTE kCloseDownloadMode = 5;
constexpr BYTE kDownloadMode = 7;

constexpr BYTE kIdBlockBuffer = 0xF1;
constexpr std::uint32_t kIdBlockSize = 48;
constexpr BYTE kMarkerBuffer = 0xB0;
// The marker lies 8 bytes below 64 KiB, so the 16 bytes read with it cross that boundary.
constexpr std::uint32_t kMarkerBufferSize = 0x20000;
constexpr std::uint32_t kMarkerOffset = 0xFFF8;
constexpr BYTE kMarkerSet = 0xBC;
constexpr BYTE kSignatureBuffer = 0xFF;
constexpr std::uint32_t kSignatureLength = 256;
constexpr BYTE kKernelBuffer = 0xFE;
constexpr BYTE kNormalBuffer = 0xF0;
constexpr std::uint32_t kChunk = 0x8000;
constexpr std::uint32_t kKernelSize = 0x10000;
constexpr std::uint32_t kNormalSize = 0x100000;

// Where the image header carries what the drive checks.
constexpr std::size_t kVersionAt = 144;
constexpr std::size_t kHardwareAt = 176;
constexpr std::size_t kVendorAt = 208;
constexpr std::size_t kPartKindAt = 272;

constexpr std::size_t kIdHardwareAt = 16;
constexpr std::size_t kIdVendorAt = 24;
constexpr std::size_t kIdVariantAt = 32;

std::uint32_t Get24(std::span<const BYTE> bytes) {
  return (std::uint32_t{bytes[0]} << 16) | (std::uint32_t{bytes[1]} << 8) | bytes[2];
}

bool SameBytes(const std::vector<BYTE>& a, std::size_t atA, const std::vector<BYTE>& b,
               std::size_t atB, std::size_t count) {
  return std::equal(a.begin() + static_cast<std::ptrdiff_t>(atA),
                    a.begin() + static_cast<std::ptrdiff_t>(atA + count),
                    b.begin() + static_cast<std::ptrdiff_t>(atB));
}

ScsiAnswer UnitAttentionReset() {
  return ScsiAnswer::CheckCondition(0x06, 0x29, 0x00);
}

}  // namespace

Qtx517Drive::Qtx517Drive(const TargetSpec& setup, std::optional<DriveState> restored)
    : spec_(setup),
      revision_(restored ? restored->revision : setup.inquiry.revision),
      kernelMode_(revision_ == kKernelRevision),
      kernelMarker_(restored ? kernelMode_ : setup.kernelMarker) {
  if (restored && restored->kernelMode) {
    revision_ = kKernelRevision;
    kernelMode_ = true;
    kernelMarker_ = true;
  }
  const std::string text =
      setup.idBlock.serial + setup.idBlock.hardware + setup.idBlock.vendor + setup.idBlock.variant;
  idBlock_.assign(text.begin(), text.end());
  idBlock_.resize(kIdBlockSize, 0);
}

ScsiAnswer Qtx517Drive::Execute(const DeviceRequest& request, Milliseconds now) {
  if (request.cdb.empty()) {
    return InvalidOperationCode();
  }
  const BYTE opcode = request.cdb[0];
  if (opcode == OP_INQUIRY) {
    return AnswerInquiry(request, StandardInquiryData(kCdRomDevice, true, spec_.inquiry.vendor,
                                                      spec_.inquiry.product, revision_));
  }
  if (opcode != OP_TEST_UNIT_READY && opcode != OP_READ_BUFFER && opcode != OP_WRITE_BUFFER) {
    return InvalidOperationCode();
  }
  if (request.lun != 0) {
    return LunNotSupported();
  }
  if (unitAttention_) {
    unitAttention_ = false;
    return UnitAttentionReset();
  }
  switch (opcode) {
    case OP_TEST_UNIT_READY:
      return TestUnitReady(request);
    case OP_READ_BUFFER:
      return ReadBuffer(request);
    default:
      return WriteBuffer(request, now);
  }
}

ScsiAnswer Qtx517Drive::TestUnitReady(const DeviceRequest& request) const {
  if (request.cdb.size() != 6 || !std::all_of(request.cdb.begin() + 1, request.cdb.begin() + 5,
                                              [](BYTE b) { return b == 0; })) {
    return InvalidFieldInCdb();
  }
  if (request.transferLength != 0) {
    return TransferMismatch();
  }
  switch (spec_.disc) {
    case DiscState::None:
      return ScsiAnswer::CheckCondition(0x02, 0x3A, 0x00);
    case DiscState::BecomingReady:
      return ScsiAnswer::CheckCondition(0x02, 0x04, 0x01);
    case DiscState::InitRequired:
      return ScsiAnswer::CheckCondition(0x02, 0x04, 0x02);
    case DiscState::Loaded:
      break;
  }
  return ScsiAnswer::Good();
}

ScsiAnswer Qtx517Drive::ReadBuffer(const DeviceRequest& request) const {
  const auto cdb = request.cdb;
  if (cdb.size() != 10 || cdb[1] != kReadDataMode) {
    return InvalidFieldInCdb();
  }
  const BYTE bufferId = cdb[2];
  const std::uint32_t offset = Get24(cdb.subspan(3, 3));
  const std::uint32_t length = Get24(cdb.subspan(6, 3));
  std::vector<BYTE> data;
  if (bufferId == kIdBlockBuffer && offset + length <= kIdBlockSize) {
    data.assign(idBlock_.begin() + offset, idBlock_.begin() + offset + length);
  } else if (bufferId == kMarkerBuffer && offset + length <= kMarkerBufferSize) {
    data.assign(length, 0);
    if (kernelMarker_ && offset <= kMarkerOffset && kMarkerOffset < offset + length) {
      data[kMarkerOffset - offset] = kMarkerSet;
    }
  } else {
    return InvalidFieldInCdb();
  }
  return DataToRequester(request, std::move(data));
}

ScsiAnswer Qtx517Drive::WriteBuffer(const DeviceRequest& request, Milliseconds now) {
  const auto cdb = request.cdb;
  if (cdb.size() != 10) {
    return InvalidFieldInCdb();
  }
  const BYTE mode = cdb[1];
  const BYTE bufferId = cdb[2];
  const std::uint32_t offset = Get24(cdb.subspan(3, 3));
  const std::uint32_t length = Get24(cdb.subspan(6, 3));
  if (mode == kOpenDownloadMode || mode == kCloseDownloadMode) {
    if (bufferId != kSignatureBuffer || offset != 0 || length != kSignatureLength) {
      return InvalidFieldInCdb();
    }
  } else if (mode == kDownloadMode) {
    const bool kernelChunk = bufferId == kKernelBuffer && offset < kKernelSize;
    const bool normalChunk = bufferId == kNormalBuffer && offset < kNormalSize;
    if (!(kernelChunk || normalChunk) || offset % kChunk != 0 || length != kChunk) {
      return InvalidFieldInCdb();
    }
  } else {
    return InvalidFieldInCdb();
  }
  if (!request.dataOut || request.transferLength != length || request.data.size() != length) {
    return TransferMismatch();
  }
  if (mode == kDownloadMode) {
    return Download(request, bufferId, offset, now);
  }
  return SwitchMode(request, mode, now);
}

ScsiAnswer Qtx517Drive::SwitchMode(const DeviceRequest& request, BYTE mode, Milliseconds now) {
  if (!std::equal(kSignature.begin(), kSignature.end(), request.data.begin())) {
    return ScsiAnswer::CheckCondition(0x05, 0x26, 0x00);  // invalid field in parameter list
  }
  if (mode == kOpenDownloadMode) {
    downloadMode_ = true;
  } else {
    Close(now);
  }
  return ScsiAnswer::Good();
}

ScsiAnswer Qtx517Drive::Download(const DeviceRequest& request, BYTE bufferId, std::uint32_t offset,
                                 Milliseconds now) {
  const bool variantBlank = idBlock_[kIdVariantAt] == ' ';
  if (!downloadMode_ && !variantBlank && !kernelMode_) {
    return ScsiAnswer::CheckCondition(0x05, 0x2C, 0x00);  // command sequence error
  }
  const std::size_t chunk = offset / kChunk;
  // The images take memory only once written to: a scenario may list dozens of drives.
  std::vector<BYTE>& image = bufferId == kNormalBuffer ? normalImage_ : kernelImage_;
  if (image.empty()) {
    image.assign(bufferId == kNormalBuffer ? kNormalSize : kKernelSize, 0);
  }
  if (bufferId == kNormalBuffer) {
    std::copy(request.data.begin(), request.data.end(), normalImage_.begin() + offset);
    normalChunks_.set(chunk);
    return ScsiAnswer::Good();
  }
  std::copy(request.data.begin(), request.data.end(), kernelImage_.begin() + offset);
  kernelChunks_.set(chunk);
  if (kernelChunks_.all()) {
    kernelChunks_.reset();
    if (kernelImage_[kPartKindAt] == 'K') {
      kernelWritten_ = true;
      kernelMode_ = true;
      kernelMarker_ = true;
      revision_ = kKernelRevision;
      Restart(now);
      SaveState();
    }
  }
  return ScsiAnswer::Good();
}

bool Qtx517Drive::NormalImageFits() const {
  return normalChunks_.all() && normalImage_[kPartKindAt] == 'N' &&
         SameBytes(normalImage_, kHardwareAt, idBlock_, kIdHardwareAt, 8) &&
         SameBytes(normalImage_, kVendorAt, idBlock_, kIdVendorAt, 8) &&
         (!spec_.kernelRequired || kernelWritten_);
}

void Qtx517Drive::Close(Milliseconds now) {
  if (NormalImageFits()) {
    revision_.assign(normalImage_.begin() + kVersionAt, normalImage_.begin() + kVersionAt + 4);
    kernelMode_ = false;
    kernelMarker_ = false;
  } else {
    revision_ = kKernelRevision;
    kernelMode_ = true;
    kernelMarker_ = true;
  }
  kernelWritten_ = false;
  Restart(now);
  SaveState();
}

// What the drive holds in memory is gone; what it wrote to flash (revision, mode) stays.
void Qtx517Drive::Restart(Milliseconds now) {
  backAt_ = now + spec_.restart;
  unitAttention_ = true;
  downloadMode_ = false;
  kernelChunks_.reset();
  normalChunks_.reset();
}

void Qtx517Drive::SaveState() {
  if (!spec_.stateFile) {
    return;
  }
  std::string error;
  if (!SaveDriveState(*spec_.stateFile, {revision_, kernelMode_}, error)) {
    std::cerr << "drvflash simulated drive: " << error << '\n';
  }
}

}  // namespace drvflash::sim
