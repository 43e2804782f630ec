#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include "messages/resource_language.h"
#include "ui/window_thread.h"

namespace drvflash {
namespace {

// Owned by the application, so that it lives as long as the texts it translates.
QPointer<QTranslator> LoadJapanese() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace

void ApplyQtTranslations() {
  RequireWindowThread("ApplyQtTranslations");
  static QPointer<QTranslator> japanese;
  static bool installed = false;
  const bool wanted = ResourceLanguage() == Language::Japanese;
  if (wanted == installed) {
    return;
  }
  if (wanted) {
    if (japanese.isNull()) {
      japanese = LoadJapanese();
    }
    installed = !japanese.isNull() && QCoreApplication::installTranslator(japanese);
  } else {
    QCoreApplication::removeTranslator(japanese);
    installed = false;
  }
}

}  // namespace drvflash
