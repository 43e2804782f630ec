#pragma once

#include <string>
#include <vector>

namespace drvflash {

// Something the program found while starting that the user must know about (a drive node it
// may not open, a trace file it could not write), shown in the log after the attention text.
// Built-in texts: the member that g_codePage selects is shown.
struct StartupNote {
  std::string english;
  std::string japanese;
};

// Set by main() before the main window opens.
void SetStartupNotes(std::vector<StartupNote> notes);
const std::vector<StartupNote>& StartupNotes();

}  // namespace drvflash
