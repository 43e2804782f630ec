#include "aspi/sim/simulated_device.h"

#include <algorithm>
#include <string_view>

namespace drvflash::sim {
namespace {
constexpr std::size_t kStandardInquiryLength = 36;
constexpr BYTE kNoDeviceOnLun = 0x7F;  // peripheral qualifier 3, type 0x1F
}  // namespace

std::vector<BYTE> StandardInquiryData(BYTE deviceType, bool removable, std::string_view vendor,
                                      std::string_view product, std::string_view revision) {
  std::vector<BYTE> data(kStandardInquiryLength, 0);
  data[0] = deviceType;
  data[1] = removable ? 0x80 : 0x00;
  data[2] = 0x05;  // SPC-3
  data[3] = 0x02;  // response data format
  data[4] = static_cast<BYTE>(kStandardInquiryLength - 5);
  auto put = [&](std::size_t at, std::size_t width, std::string_view text) {
    std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(at), width, BYTE{' '});
    std::copy_n(text.begin(), std::min(width, text.size()),
                data.begin() + static_cast<std::ptrdiff_t>(at));
  };
  put(8, 8, vendor);
  put(16, 16, product);
  put(32, 4, revision);
  return data;
}

ScsiAnswer AnswerInquiry(const DeviceRequest& request, const std::vector<BYTE>& data) {
  const auto cdb = request.cdb;
  if (cdb.size() != 6 || (cdb[1] & 0x01) != 0 || cdb[2] != 0) {
    return InvalidFieldInCdb();  // no vital product data pages
  }
  std::vector<BYTE> answer = data;
  if (request.lun != 0) {
    std::fill(answer.begin(), answer.end(), BYTE{0});
    answer[0] = kNoDeviceOnLun;
  }
  const std::size_t allocationLength = (std::size_t{cdb[3]} << 8) | cdb[4];
  answer.resize(std::min(answer.size(), allocationLength));
  return DataToRequester(request, std::move(answer));
}

ScsiAnswer DataToRequester(const DeviceRequest& request, std::vector<BYTE> data) {
  if (!data.empty() && (!request.dataIn || request.transferLength < data.size())) {
    return TransferMismatch();
  }
  return ScsiAnswer::Good(std::move(data));
}

ScsiAnswer IllegalRequest(BYTE asc, BYTE ascq) {
  return ScsiAnswer::CheckCondition(0x05, asc, ascq);
}
ScsiAnswer InvalidFieldInCdb() {
  return IllegalRequest(0x24);
}
ScsiAnswer InvalidOperationCode() {
  return IllegalRequest(0x20);
}
ScsiAnswer LunNotSupported() {
  return IllegalRequest(0x25);
}
ScsiAnswer TransferMismatch() {
  return ScsiAnswer::HostError(HASTAT_DO_DU);
}

}  // namespace drvflash::sim
