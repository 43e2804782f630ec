#include "aspi/sim/other_device.h"

namespace drvflash::sim {

OtherDevice::OtherDevice(const InquiryText& inquiry)
    : inquiryData_(
          StandardInquiryData(0x00, false, inquiry.vendor, inquiry.product, inquiry.revision)) {}

ScsiAnswer OtherDevice::Execute(const DeviceRequest& request, Milliseconds) {
  if (!request.cdb.empty() && request.cdb[0] == OP_INQUIRY) {
    return AnswerInquiry(request, inquiryData_);
  }
  return InvalidOperationCode();
}

}  // namespace drvflash::sim
