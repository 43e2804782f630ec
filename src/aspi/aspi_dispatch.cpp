#include <atomic>

#include "aspi/aspi.h"
#include "aspi/aspi_layer.h"

namespace drvflash {
namespace {
std::atomic<AspiLayer*> g_activeLayer{nullptr};
}  // namespace

void SetActiveAspiLayer(AspiLayer* layer) {
  g_activeLayer.store(layer);
}
AspiLayer* ActiveAspiLayer() {
  return g_activeLayer.load();
}

}  // namespace drvflash

DWORD GetASPI32SupportInfo() {
  drvflash::AspiLayer* layer = drvflash::ActiveAspiLayer();
  if (layer == nullptr) {
    return DWORD{SS_NO_ASPI} << 8;
  }
  return layer->GetSupportInfo();
}

DWORD SendASPI32Command(void* srb) {
  if (srb == nullptr) {
    return SS_INVALID_SRB;
  }
  auto* command = static_cast<BYTE*>(srb);
  drvflash::AspiLayer* layer = drvflash::ActiveAspiLayer();
  BYTE& status = command[1];
  if (layer == nullptr) {
    status = SS_NO_ASPI;
    return status;
  }
  switch (command[0]) {
    case SC_HA_INQUIRY:
      return layer->InquireHostAdapter(*static_cast<SRB_HAInquiry*>(srb));
    case SC_EXEC_SCSI_CMD:
      return layer->ExecuteScsiCommand(*static_cast<SRB_ExecSCSICmd*>(srb));
    default:
      status = SS_INVALID_SRB;
      return status;
  }
}
