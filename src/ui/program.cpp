#include "ui/program.h"

#include <QApplication>
#include <QMessageBox>

#include "messages/built_in_text.h"
#include "ui/application_icon.h"
#include "ui/display_text.h"
#include "ui/qt_translations.h"

namespace drvflash {

void PrepareApplication(QApplication& application) {
  application.setApplicationName(QStringLiteral("drvflash"));
  application.setApplicationVersion(QStringLiteral("1.00"));
  application.setWindowIcon(ApplicationIcon());
  ApplyQtTranslations();
  SetCodePageFromSystem();
}

int RefuseToStart(const std::string& englishReason, const std::string& japaneseReason) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("drvflash"),
                  DisplayText(BuiltInText(englishReason, japaneseReason)), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
  return 1;
}

}  // namespace drvflash
