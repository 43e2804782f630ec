#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "aspi/aspi.h"
#include "aspi/scsi_answer.h"
#include "platform/clock.h"

namespace drvflash::sim {

// A request as it reaches a device: the command, its direction and transfer length, the data.
struct DeviceRequest {
  std::uint8_t lun = 0;
  std::span<const BYTE> cdb;
  bool dataIn = false;
  bool dataOut = false;
  std::uint32_t transferLength = 0;
  std::span<const BYTE> data;  // what the requester sends
};

// A device on a target of a simulated adapter.
class SimulatedDevice {
 public:
  virtual ~SimulatedDevice() = default;
  // Until then the device is restarting; requests that reach it meanwhile wait for it.
  virtual Milliseconds BackAt() const { return Milliseconds{0}; }
  // Carries out `request` at `now`, a time when the device is up, and answers it.
  virtual ScsiAnswer Execute(const DeviceRequest& request, Milliseconds now) = 0;
};

// Standard INQUIRY data: device type, removable bit and the three texts, 36 bytes.
std::vector<BYTE> StandardInquiryData(BYTE deviceType, bool removable, std::string_view vendor,
                                      std::string_view product, std::string_view revision);

// Answers INQUIRY with `data` (the peripheral qualifier for no device on a LUN other than 0),
// or refuses the CDB.
ScsiAnswer AnswerInquiry(const DeviceRequest& request, const std::vector<BYTE>& data);

// Data to the requester: the adapter reports an overrun when the buffer is too small for
// `data` or the request does not move data in.
ScsiAnswer DataToRequester(const DeviceRequest& request, std::vector<BYTE> data);

// CHECK CONDITION answers of the drive.
ScsiAnswer IllegalRequest(BYTE asc, BYTE ascq = 0);
ScsiAnswer InvalidFieldInCdb();
ScsiAnswer InvalidOperationCode();
ScsiAnswer LunNotSupported();
// The data phase does not match what the command moves.
ScsiAnswer TransferMismatch();

inline constexpr BYTE OP_TEST_UNIT_READY = 0x00;
inline constexpr BYTE OP_INQUIRY = 0x12;
inline constexpr BYTE OP_WRITE_BUFFER = 0x3B;
inline constexpr BYTE OP_READ_BUFFER = 0x3C;

}  // namespace drvflash::sim
