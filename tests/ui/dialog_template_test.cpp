#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ui/about_dlg.h"
#include "ui/control_id.h"
#include "ui/dialog_builder.h"
#include "window_fixture.h"

namespace drvflash {
namespace {

struct Expected {
  int id;
  const char* className;
  const char* english;
  const char* japanese;
  QRect englishUnits;
  QRect japaneseUnits;
};

// The main window as its users know it: ids, kinds, texts and places in dialog units.
const Expected kMainWindow[] = {
    {1011,
     "QLabel",
     "Korvane QTX-517/K52 drive firmware update tool",
     "Korvane QTX-517/K52ドライブファームウェア書き換えツール",
     {5, 0, 205, 8},
     {5, 0, 205, 8}},
    {1009,
     "QLabel",
     "Drive to be updated",
     "ファームウェアを書き換えるドライブ",
     {5, 15, 115, 8},
     {5, 15, 115, 8}},
    {1000, "QComboBox", "", "", {5, 25, 235, 70}, {5, 25, 235, 70}},
    {1001, "QPushButton", "Open firmware file", "ファイルを開く", {5, 55, 70, 14}, {5, 55, 70, 14}},
    {1002, "QLabel", "Firmware file", "ファームウェアファイル", {80, 43, 145, 8}, {80, 43, 145, 8}},
    {1003, "QLineEdit", "", "", {80, 55, 160, 14}, {80, 55, 160, 14}},
    {1005, "QPlainTextEdit", "", "", {5, 100, 235, 75}, {5, 100, 235, 85}},
    {1010,
     "QLabel",
     "Update progress indicator",
     "ファームウェア書き換えの進行状況",
     {5, 90, 205, 8},
     {5, 90, 205, 8}},
    {1006, "QProgressBar", "", "", {5, 180, 235, 14}, {5, 190, 235, 14}},
    {1007, "QPushButton", "Start", "書き換えを始める", {25, 200, 65, 14}, {25, 210, 65, 14}},
    {1014,
     "QLabel",
     "Firmware file version",
     "ファームウェアファイルのバージョン",
     {5, 80, 105, 8},
     {5, 80, 105, 8}},
    {1015,
     "QLabel",
     "Drive firmware version",
     "ドライブのバージョン",
     {135, 80, 80, 8},
     {135, 80, 80, 8}},
    {1012, "QLabel", "???", "???", {115, 80, 15, 8}, {115, 80, 15, 8}},
    {1013, "QLabel", "???", "???", {220, 80, 20, 8}, {220, 80, 20, 8}},
    {2, "QPushButton", "Close", "閉じる", {150, 200, 65, 14}, {150, 210, 65, 14}},
};

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget))
    return label->text();
  if (auto* button = qobject_cast<QPushButton*>(widget))
    return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    return edit->text();
  if (auto* log = qobject_cast<QPlainTextEdit*>(widget))
    return log->toPlainText();
  if (auto* combo = qobject_cast<QComboBox*>(widget))
    return combo->currentText();
  return {};
}

TEST(DialogTemplateTest, MainWindowControlsInBothLanguages) {
  for (const Language language : {Language::English, Language::Japanese}) {
    SCOPED_TRACE(language == Language::English ? "English" : "Japanese");
    QDialog dialog;
    BuildDialog(dialog, MainDialogTemplate(), language);
    const DialogUnits units = DialogUnitsOf(dialog.font());
    ASSERT_GT(units.baseX, 0);
    ASSERT_GT(units.baseY, 0);
    EXPECT_EQ(dialog.windowTitle(), "drvflash version 1.00");
    EXPECT_EQ(dialog.size(), QSize(units.ToPixelsX(243),
                                   units.ToPixelsY(language == Language::English ? 216 : 229)));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "not resizable";
    EXPECT_EQ(dialog.font().pointSize(), 9);
    if (language == Language::Japanese) {
      EXPECT_EQ(QFontInfo(dialog.font()).family(), "IPAPGothic");
    }

    for (const Expected& e : kMainWindow) {
      SCOPED_TRACE(e.id);
      QWidget* widget = FindControl(dialog, e.id);
      ASSERT_NE(widget, nullptr);
      EXPECT_STREQ(widget->metaObject()->className(), e.className);
      EXPECT_EQ(TextOf(widget),
                QString::fromUtf8(language == Language::English ? e.english : e.japanese));
      const QRect unitsRect = language == Language::English ? e.englishUnits : e.japaneseUnits;
      EXPECT_EQ(widget->property(DIALOG_UNITS_PROPERTY).toRect(), unitsRect);
      const QRect pixels =
          units.ToPixels({unitsRect.x(), unitsRect.y(), unitsRect.width(), unitsRect.height()});
      EXPECT_EQ(widget->pos(), pixels.topLeft());
      EXPECT_EQ(widget->width(), pixels.width());
      if (e.id != 1000) {  // a closed drop-down is one line high, whatever the template's list
        EXPECT_EQ(widget->height(), pixels.height());
      }
    }
  }
}

TEST(DialogTemplateTest, TabOrderFollowsTheTemplateAndOpenIsTheDefaultButton) {
  QDialog dialog;
  BuildDialog(dialog, MainDialogTemplate(), Language::English);
  std::vector<int> order;
  QWidget* first = FindControl(dialog, 1000);
  QWidget* widget = first;
  do {
    const int id = ControlIdOf(*widget);
    if ((widget->focusPolicy() & Qt::TabFocus) && id >= 0 &&
        (order.empty() || order.back() != id)) {
      order.push_back(id);
    }
    widget = widget->nextInFocusChain();
  } while (widget != first && order.size() < 20);
  EXPECT_EQ(order, (std::vector<int>{1000, 1001, 1003, 1005, 1007, 2}));
  EXPECT_TRUE(FindControl<QPushButton>(dialog, 1001)->isDefault());
  EXPECT_FALSE(FindControl<QPushButton>(dialog, 1007)->isDefault());
}

TEST(DialogTemplateTest, AboutBoxShowsNameVersionIconAndClosesWithOk) {
  QDialog owner;
  CAboutDlg about(&owner);
  const DialogUnits units = DialogUnitsOf(about.font());
  EXPECT_EQ(about.windowTitle(), "version");
  EXPECT_EQ(about.size(), QSize(units.ToPixelsX(235), units.ToPixelsY(55)));
  QStringList texts;
  bool icon = false;
  for (QLabel* label : about.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) {
      icon = label->pixmap().size() == QSize(32, 32);
    } else {
      texts << label->text();
    }
  }
  EXPECT_TRUE(icon);
  EXPECT_TRUE(texts.contains("drvflash Version 1.00"));
  auto* ok = FindControl<QPushButton>(about, 1);
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  about.show();
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(about.result(), QDialog::Accepted);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace drvflash
