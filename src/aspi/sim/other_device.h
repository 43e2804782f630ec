#pragma once

#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_device.h"

namespace drvflash::sim {

// A device that is not a QTX-517: it answers INQUIRY and refuses every other command.
class OtherDevice final : public SimulatedDevice {
 public:
  explicit OtherDevice(const InquiryText& inquiry);
  ScsiAnswer Execute(const DeviceRequest& request, Milliseconds now) override;

 private:
  std::vector<BYTE> inquiryData_;
};

}  // namespace drvflash::sim
