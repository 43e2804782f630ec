#pragma once

#include <string>
#include <string_view>

#include "firmware/firmware_check_messages.h"

// Failures of the update that are reported with texts built into the program, in the language
// g_codePage selects: a box with `text` and `caption`, then `logText` appended to the log.

// The drive answered the no-disc test with neither "no medium" nor "disc loaded".
CheckMessage UnexpectedErrorMessage(std::string_view senseText);

// The drive did not take the mode switch (last outcome other than a DMA time-out).
CheckMessage FailToPrepareMessage(std::string_view senseText);

// After the restart the drive runs another version than the one written.
CheckMessage VersionMismatchMessage(std::string_view revision, std::string_view fileVersion);

// The drive is left in kernel mode: the question whether to run the update again, and what
// the log says when the user declines (logText).
CheckMessage KernelModeQuestion();

// Log text only: the first chunk of a part file does not carry its part marker.
std::string NotKernelFileText(std::string_view kernelPath);
std::string NotNormalFileText(std::string_view path);

// The confirmation asked before an update, and its caption.
std::string ConfirmUpdateText(std::string_view driveVersion, std::string_view fileVersion);
std::string_view ConfirmUpdateCaption();
