#include "update/probe_variant_field.h"

#include "drive/command_set.h"
#include "drive/drive_id_block.h"
#include "drive/transfer_buffers.h"
#include "ui/updater_dlg.h"

int ProbeVariantField(CUpdaterDlg& dialog) {
  if (ReadDriveIdBlock() != OUTCOME_OK) {
    dialog.AppendLogText("\r\n Buffer read error.");
    return VARIANT_UNREAD;
  }
  return g_readBuffer[offsetof(DriveIdBlock, variantId)] == ' ' ? VARIANT_BLANK : VARIANT_SET;
}
