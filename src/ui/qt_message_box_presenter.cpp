#include "ui/qt_message_box_presenter.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/display_text.h"
#include "ui/window_thread.h"

namespace drvflash {

BoxAnswer QtMessageBoxPresenter::Present(QWidget& owner, const std::string& text,
                                         const std::string& caption, BoxButtons buttons) {
  RequireWindowThread("QtMessageBoxPresenter::Present");
  QMessageBox box(&owner);
  box.setIcon(QMessageBox::NoIcon);
  // File names and sense bytes end up in these texts: never interpret them as markup.
  box.setTextFormat(Qt::PlainText);
  box.setWindowTitle(DisplayText(caption));
  box.setText(MessageBoxText(text));
  box.setStandardButtons(buttons == BoxButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                         : QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(buttons == BoxButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  box.exec();
  return box.clickedButton() == box.button(QMessageBox::Ok) ? BoxAnswer::Ok : BoxAnswer::Cancel;
}

}  // namespace drvflash
