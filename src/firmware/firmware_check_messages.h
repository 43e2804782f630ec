#pragma once

#include "messages/built_in_text.h"

#include <string>
#include <string_view>

// A failure that the firmware check reports with texts built into the program, in the language
// g_codePage selects: a box with `text` and `caption`, then `logText` appended to the progress
// log (no log entry when it is empty).
using CheckMessage = BuiltInMessage;

// The drive identification block could not be read; `senseText` is that of the failed command.
CheckMessage DriveIdReadFailureMessage(std::string_view senseText);

// The firmware file at `path` cannot be opened (box only).
CheckMessage FileOpenErrorMessage(std::string_view path);

// The file at `path` holds less than its whole image, or its header cannot be read.
CheckMessage IncompleteImageMessage(std::string_view path);

// A firmware file of another edition or variant: names the last 12 characters of the chosen
// normal-part path and the edition the drive wants.
CheckMessage ImproperFirmwareMessage(std::string_view chosenPath, std::string_view editionName);
