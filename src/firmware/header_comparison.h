#pragma once

#include "drive/drive_id_block.h"
#include "firmware/firmware_header.h"

// The identification field of a firmware header that first differs from the drive's, in the
// order in which the compatibility check compares them.
enum class HeaderMismatch { None, HardwareVersion, VendorId, VariantId };

// Whether the drive's variant field is blank (its first byte a space): a blank one is not
// compared with a file's.
bool IsVariantBlank(const DriveIdBlock& drive);

// Hardware version, then vendor id, then, when `compareVariant` is set and the drive's variant
// is not blank, variant id. A kernel part's variant is never compared.
HeaderMismatch FirstHeaderMismatch(const FirmwareHeader& header, const DriveIdBlock& drive,
                                   bool compareVariant);
