#pragma once

#include <string>

class QApplication;

namespace drvflash {

// What both executables set up before the main window: the application's name, icon and Qt's
// own translations.
void PrepareApplication(QApplication& application);

// Tells the user why the program cannot start (no window exists yet) and returns the exit code.
int RefuseToStart(const std::string& englishReason, const std::string& japaneseReason);

}  // namespace drvflash
