#pragma once

namespace drvflash {

// Makes Qt's own texts (standard buttons, file dialog) follow the resource language: installs
// Qt's Japanese translations when resources come out in Japanese, removes them otherwise.
// Without the translation files Qt's texts stay English. Call on the window thread.
void ApplyQtTranslations();

}  // namespace drvflash
