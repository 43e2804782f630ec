#pragma once

class CUpdaterDlg;

// Results of ProbeVariantField.
inline constexpr int VARIANT_UNREAD = 0;  // the identification block could not be read
inline constexpr int VARIANT_SET = 254;
inline constexpr int VARIANT_BLANK = 255;  // such a drive takes firmware without a mode switch

// Reads the drive's identification block and tells whether its variant field is blank; a failed
// read is noted in the log.
int ProbeVariantField(CUpdaterDlg& dialog);
