#pragma once

#include <cstdint>
#include <string>

// Whether the 8 vendor-id bytes of a drive name one of the OEM editions.
bool IsOemEdition(const std::uint8_t* vendorId);

// The name by which a message names the edition of 8 identification bytes: the bytes as text up
// to the first 0 byte, and "Korvane" for the maker's own vendor id.
std::string EditionName(const std::uint8_t* idBytes);
