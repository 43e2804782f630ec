#pragma once

#include <string>

// The accumulated progress log (UTF-8, lines broken by CR LF). It grows only at its end and is
// emptied only by ClearLog; the log pane shows it whole but it is never read back from there.
extern std::string g_logText;
