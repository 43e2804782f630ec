#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "messages/resource_language.h"
#include "modal_box_driver.h"
#include "ui/qt_message_box_presenter.h"
#include "ui/qt_translations.h"
#include "ui/updater_dlg.h"

namespace drvflash {
namespace {

// What the user saw of a real box.
struct SeenBox {
  QString caption;
  QString text;
  QStringList buttons;
  bool hasIcon = true;
  bool ownedByWindow = false;
  bool windowBlocked = false;
  bool okIsDefault = false;
};

SeenBox See(QMessageBox& box, const QWidget& window) {
  SeenBox seen;
  seen.caption = box.windowTitle();
  seen.text = box.text();
  for (QAbstractButton* button : box.buttons()) {
    seen.buttons << button->text();
  }
  seen.hasIcon = box.icon() != QMessageBox::NoIcon;
  seen.ownedByWindow = box.parentWidget() == &window;
  seen.windowBlocked = box.isModal() && QApplication::activeModalWidget() == &box;
  seen.okIsDefault = box.defaultButton() == box.button(QMessageBox::Ok);
  return seen;
}

class MessageBoxTest : public testing::Test {
 protected:
  void TearDown() override {
    SetResourceLanguage(std::nullopt);
    ApplyQtTranslations();
  }
};

TEST_F(MessageBoxTest, RealBoxShowsTextAndCaptionWithoutIconAndAnswersItsButton) {
  SetResourceLanguage(Language::English);
  CUpdaterDlg window;
  window.show();

  struct Case {
    BoxButtons buttons;
    std::function<void(QMessageBox&)> press;
    QStringList shownButtons;
    BoxAnswer answer;
  };
  const Case cases[] = {
      {BoxButtons::Ok,
       [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); },
       {"OK"},
       BoxAnswer::Ok},
      {BoxButtons::Ok,
       [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
       {"OK"},
       BoxAnswer::Ok},
      {BoxButtons::OkCancel,
       [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); },
       {"OK", "Cancel"},
       BoxAnswer::Ok},
      {BoxButtons::OkCancel,
       [](QMessageBox& box) { box.button(QMessageBox::Cancel)->click(); },
       {"OK", "Cancel"},
       BoxAnswer::Cancel},
      {BoxButtons::OkCancel,
       [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); },
       {"OK", "Cancel"},
       BoxAnswer::Cancel},
  };
  for (const Case& c : cases) {
    SeenBox seen;
    WhenMessageBoxOpens([&](QMessageBox& box) {
      seen = See(box, window);
      c.press(box);
    });
    const BoxAnswer answer = window.ShowMessageBox("Disc is in drive.\r\n<b>/tmp/fw.bin</b>",
                                                   "Update stopped", c.buttons);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(seen.caption, "Update stopped");
    EXPECT_EQ(seen.text, "Disc is in drive.\n<b>/tmp/fw.bin</b>");
    EXPECT_EQ(seen.buttons, c.shownButtons);
    EXPECT_FALSE(seen.hasIcon);
    EXPECT_TRUE(seen.ownedByWindow);
    EXPECT_TRUE(seen.windowBlocked);
    EXPECT_TRUE(seen.okIsDefault);
  }
}

TEST_F(MessageBoxTest, MarkupInABoxTextIsShownAsIs) {
  CUpdaterDlg window;
  window.show();
  Qt::TextFormat format = Qt::RichText;
  WhenMessageBoxOpens([&](QMessageBox& box) {
    format = box.textFormat();
    box.button(QMessageBox::Ok)->click();
  });
  window.ShowMessageBox("<i>x</i>", "information", BoxButtons::Ok);
  EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(MessageBoxTest, CrLfAndALoneCrOrLfEachBreakTheLine) {
  CUpdaterDlg window;
  window.show();
  for (const char* text : {"one\r\ntwo", "one\rtwo", "one\ntwo"}) {
    QString shown;
    WhenMessageBoxOpens([&](QMessageBox& box) {
      shown = box.text();
      box.button(QMessageBox::Ok)->click();
    });
    window.ShowMessageBox(text, "information", BoxButtons::Ok);
    EXPECT_EQ(shown, "one\ntwo") << ::testing::PrintToString(std::string(text));
  }
}

TEST_F(MessageBoxTest, ButtonsSpeakTheResourceLanguage) {
  SetResourceLanguage(Language::Japanese);
  CUpdaterDlg window;
  window.show();
  QStringList buttons;
  WhenMessageBoxOpens([&](QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
      buttons << button->text();
    }
    box.button(QMessageBox::Cancel)->click();
  });
  EXPECT_EQ(window.ShowMessageBox("確認してください", "確認", BoxButtons::OkCancel),
            BoxAnswer::Cancel);
  EXPECT_EQ(buttons, QStringList({"OK", "キャンセル"}));
}

}  // namespace
}  // namespace drvflash
