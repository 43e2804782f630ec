#include "firmware/header_comparison.h"

#include <cstring>

namespace {

bool SameBytes(const void* a, const void* b, std::size_t size) {
  return std::memcmp(a, b, size) == 0;
}

}  // namespace

bool IsVariantBlank(const DriveIdBlock& drive) {
  return drive.variantId[0] == ' ';
}

HeaderMismatch FirstHeaderMismatch(const FirmwareHeader& header, const DriveIdBlock& drive,
                                   bool compareVariant) {
  if (!SameBytes(header.hardwareVersion, drive.hardwareVersion, sizeof drive.hardwareVersion)) {
    return HeaderMismatch::HardwareVersion;
  }
  if (!SameBytes(header.vendorId, drive.vendorId, sizeof drive.vendorId)) {
    return HeaderMismatch::VendorId;
  }
  if (compareVariant && !IsVariantBlank(drive) &&
      !SameBytes(header.variantId, drive.variantId, sizeof drive.variantId)) {
    return HeaderMismatch::VariantId;
  }
  return HeaderMismatch::None;
}
