#pragma once

#include <bitset>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "aspi/sim/drive_state_file.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_device.h"

namespace drvflash::sim {

// The QTX-517's side of the protocol: INQUIRY, TEST UNIT READY by disc state, the vendor
// buffers behind READ BUFFER and WRITE BUFFER, download mode, the two firmware parts, the
// check of the image at the closing command, restarts and the unit attention after them.
class Qtx517Drive final : public SimulatedDevice {
 public:
  // `restored` is what the state file held, if anything; the state file, if any, is rewritten
  // whenever the revision or the mode changes.
  Qtx517Drive(const TargetSpec& setup, std::optional<DriveState> restored);

  Milliseconds BackAt() const override { return backAt_; }
  ScsiAnswer Execute(const DeviceRequest& request, Milliseconds now) override;

  const std::string& Revision() const { return revision_; }
  bool InKernelMode() const { return kernelMode_; }
  bool InDownloadMode() const { return downloadMode_; }
  bool KernelMarker() const { return kernelMarker_; }

 private:
  ScsiAnswer TestUnitReady(const DeviceRequest& request) const;
  ScsiAnswer ReadBuffer(const DeviceRequest& request) const;
  ScsiAnswer WriteBuffer(const DeviceRequest& request, Milliseconds now);
  ScsiAnswer SwitchMode(const DeviceRequest& request, BYTE mode, Milliseconds now);
  ScsiAnswer Download(const DeviceRequest& request, BYTE bufferId, std::uint32_t offset,
                      Milliseconds now);

  bool NormalImageFits() const;
  void Close(Milliseconds now);
  void Restart(Milliseconds now);
  void SaveState();

  const TargetSpec spec_;
  std::vector<BYTE> idBlock_;
  std::string revision_;
  bool kernelMode_;
  bool kernelMarker_;
  bool downloadMode_ = false;
  bool kernelWritten_ = false;  // a complete kernel part since the last closing command
  bool unitAttention_ = false;
  Milliseconds backAt_{0};
  std::vector<BYTE> kernelImage_;  // empty until its first chunk arrives
  std::vector<BYTE> normalImage_;  // likewise
  std::bitset<2> kernelChunks_;
  std::bitset<32> normalChunks_;
};

}  // namespace drvflash::sim
