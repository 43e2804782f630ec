#include "firmware/edition.h"

#include <algorithm>
#include <string_view>

#include "firmware/firmware_header.h"

bool IsOemEdition(const std::uint8_t* vendorId) {
  const std::string_view id(reinterpret_cast<const char*>(vendorId), 8);
  return std::ranges::find(OEM_VENDOR_IDS, id) != std::end(OEM_VENDOR_IDS);
}

std::string EditionName(const std::uint8_t* idBytes) {
  const auto* text = reinterpret_cast<const char*>(idBytes);
  std::string name(text, std::find(text, text + 8, '\0'));
  return name == MAKER_VENDOR_ID ? std::string(MAKER_EDITION_NAME) : name;
}
