#include "ui/startup_notes.h"

#include <utility>

namespace drvflash {
namespace {
std::vector<StartupNote>& Notes() {
  static std::vector<StartupNote> notes;
  return notes;
}
}  // namespace

void SetStartupNotes(std::vector<StartupNote> notes) {
  Notes() = std::move(notes);
}
const std::vector<StartupNote>& StartupNotes() {
  return Notes();
}

}  // namespace drvflash
