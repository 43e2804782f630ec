#include "drive/drive_scan.h"

#include <algorithm>
#include <cstring>

#include "aspi/aspi.h"
#include "drive/command_set.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"

namespace {

constexpr std::uint8_t kTargetsPerAdapter = 8;

std::string Hex(unsigned value) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  return text;
}

// The hexadecimal number at the start of `text`, ending at the next space.
std::uint8_t ParseHexField(std::string_view text) {
  unsigned value = 0;
  for (char c : text.substr(0, text.find(' '))) {
    const char lower = static_cast<char>(c | 0x20);
    if (c >= '0' && c <= '9') {
      value = value * 16 + static_cast<unsigned>(c - '0');
    } else if (lower >= 'a' && lower <= 'f') {
      value = value * 16 + static_cast<unsigned>(lower - 'a' + 10);
    } else {
      break;
    }
  }
  return static_cast<std::uint8_t>(value);
}

std::string AdapterIdentifier(const SRB_HAInquiry& inquiry) {
  const auto* text = reinterpret_cast<const char*>(inquiry.HA_Identifier);
  return std::string(text, std::find(text, text + sizeof inquiry.HA_Identifier, '\0'));
}

}  // namespace

std::string BuildInquiryText(const std::uint8_t* inquiryData) {
  std::string text;
  text.append(reinterpret_cast<const char*>(inquiryData + 8), 24);
  text.append(" (ver");
  text.append(reinterpret_cast<const char*>(inquiryData + 32), 4);
  text.append(")");
  return text.substr(0, text.find('\0'));
}

bool InquireTarget(std::uint8_t haId, std::uint8_t targetId, std::uint8_t lun,
                   std::string& inquiryText) {
  if (g_inquiryBuffer == nullptr) {
    return false;
  }
  RequestFields fields;
  fields.haId = haId;
  fields.targetId = targetId;
  fields.lun = lun;
  fields.flags = SRB_EVENT_NOTIFY | SRB_DIR_IN;
  fields.buffer = g_inquiryBuffer;
  fields.bufferLength = 254;
  fields.cdb = {0x12, 0, 0, 0, 0xFE, 0};
  fields.cdbLength = 6;
  ExecuteRequest(fields, SCAN_INQUIRY_TIMEOUT);
  if (g_srb.SRB_Status != SS_COMP) {
    return false;
  }
  inquiryText = BuildInquiryText(g_inquiryBuffer);
  return true;
}

std::string BuildDriveListEntry(std::uint8_t haId, std::uint8_t targetId,
                                std::string_view adapterIdentifier, std::string_view inquiryText) {
  std::string entry = "HA=" + Hex(haId) + " ID=" + Hex(targetId) + " ";
  entry.append(adapterIdentifier);
  entry.append("  ");
  entry.append(inquiryText);
  return entry;
}

std::optional<std::vector<std::string>> FindDrives() {
  const DWORD support = GetASPI32SupportInfo();
  if (((support >> 8) & 0xFF) != SS_COMP) {
    return std::nullopt;
  }
  const unsigned adapters = support & 0xFF;
  std::vector<std::string> entries;
  SRB_HAInquiry adapterInquiry{};
  for (unsigned ha = 0; ha < adapters; ++ha) {
    adapterInquiry.SRB_Cmd = SC_HA_INQUIRY;
    adapterInquiry.SRB_HaId = static_cast<std::uint8_t>(ha);
    SendASPI32Command(&adapterInquiry);
    const std::string identifier = AdapterIdentifier(adapterInquiry);
    for (std::uint8_t target = 0; target < kTargetsPerAdapter; ++target) {
      std::string text;
      if (InquireTarget(static_cast<std::uint8_t>(ha), target, 0, text) &&
          text.find(DRIVE_MODEL_NAME) != std::string::npos) {
        entries.push_back(
            BuildDriveListEntry(static_cast<std::uint8_t>(ha), target, identifier, text));
      }
    }
  }
  return entries;
}

DriveAddress ParseDriveAddress(std::string_view entry) {
  DriveAddress address;
  if (entry.starts_with("HA=")) {
    address.haId = ParseHexField(entry.substr(3));
  }
  if (const auto id = entry.find("ID="); id != std::string_view::npos) {
    address.targetId = ParseHexField(entry.substr(id + 3));
  }
  return address;
}

std::optional<std::string> ParseDriveVersion(std::string_view entry) {
  const auto ver = entry.find("(ver");
  if (ver == std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(entry.substr(ver + 4, 4));
}
