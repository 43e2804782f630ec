#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The scan of every host adapter for QTX-517 drives, and the drive list entries it yields. The
// window puts the entries into its drive list; these functions touch no widget.

inline constexpr std::string_view DRIVE_MODEL_NAME{"QTX-517"};
inline constexpr std::size_t INQUIRY_TEXT_LENGTH = 34;

// Vendor, product, " (ver", revision, ")" from INQUIRY data: 34 characters, or fewer when the
// data holds a NUL among the bytes taken, where the text then ends.
std::string BuildInquiryText(const std::uint8_t* inquiryData);

// Sends the scan INQUIRY to one target through g_srb into g_inquiryBuffer and waits at most
// 20 ms. True, with the inquiry text, when the target answered in time.
bool InquireTarget(std::uint8_t haId, std::uint8_t targetId, std::uint8_t lun,
                   std::string& inquiryText);

// "HA=<hex> ID=<hex> <adapter identifier>  <inquiry text>".
std::string BuildDriveListEntry(std::uint8_t haId, std::uint8_t targetId,
                                std::string_view adapterIdentifier, std::string_view inquiryText);

// The entries of every QTX-517 in scan order (adapters ascending, targets 0 to 7, unit 0);
// nothing when the ASPI layer is not usable.
std::optional<std::vector<std::string>> FindDrives();

struct DriveAddress {
  std::uint8_t haId = 0;
  std::uint8_t targetId = 0;
};

// The address an entry names: the hexadecimal numbers after "HA=" at its start and after "ID=";
// 0 for a number that is missing.
DriveAddress ParseDriveAddress(std::string_view entry);

// The (up to) four characters after "(ver", when the entry has them.
std::optional<std::string> ParseDriveVersion(std::string_view entry);
