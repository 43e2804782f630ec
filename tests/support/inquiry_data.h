#pragma once

#include <cstring>
#include <vector>

#include "aspi/aspi.h"

namespace drvflash::testing {

// Standard INQUIRY data with the vendor, product and revision fields set (space-padded).
inline std::vector<BYTE> InquiryData(const char* vendor, const char* product,
                                     const char* revision) {
  std::vector<BYTE> data(36, ' ');
  std::memcpy(&data[8], vendor, std::strlen(vendor));
  std::memcpy(&data[16], product, std::strlen(product));
  std::memcpy(&data[32], revision, std::strlen(revision));
  return data;
}

}  // namespace drvflash::testing
