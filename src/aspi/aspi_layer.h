#pragma once

#include "aspi/aspi.h"

namespace drvflash {

// One implementation of the ASPI entry points: real drives, the simulated drive, or a test's
// script. It answers an execute block the way an ASPI layer does: SS_PENDING in SRB_Status
// while the request runs, then the status, SRB_HaStat, SRB_TargStat and fixed-format sense
// written into the block and its event signalled (see AcceptedRequest).
class AspiLayer {
 public:
  virtual ~AspiLayer() = default;
  virtual DWORD GetSupportInfo() = 0;
  // Fills the adapter's fields of `srb` and its SRB_Status; returns that status.
  virtual BYTE InquireHostAdapter(SRB_HAInquiry& srb) = 0;
  // Returns SS_PENDING, or the final status when the request has already ended.
  virtual BYTE ExecuteScsiCommand(SRB_ExecSCSICmd& srb) = 0;
};

// The layer the entry points dispatch to; none until a program or a test installs one. The
// caller keeps the layer alive while installed.
void SetActiveAspiLayer(AspiLayer* layer);
AspiLayer* ActiveAspiLayer();

}  // namespace drvflash
