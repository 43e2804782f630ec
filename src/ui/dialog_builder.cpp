#include "ui/dialog_builder.h"

#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <cmath>
#include <vector>

#include "ui/application_icon.h"
#include "ui/control_id.h"

namespace drvflash {
namespace {

constexpr int kDialogPointSize = 9;

// Rounds a * b / c to the nearest integer, as the platform's own conversion does.
int MulDiv(int a, int b, int c) {
  return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

// Takes Return and Enter in the control it filters, so that they never reach the dialog's
// default button; a read-only edit would pass them on.
class ReturnKeeper : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

QString Text(const ControlTemplate& control, Language language) {
  const std::string_view text = control.Text(language);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* CreateControl(QDialog& dialog, const ControlTemplate& control, Language language,
                       const DialogUnits& units) {
  QRect geometry = units.ToPixels(control.Rect(language));
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::StaticText: {
      auto* label = new QLabel(Text(control, language), &dialog);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft |
                          ((control.styles & STYLE_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop));
      // Every text of the templates fits one line; Qt would also break "1.30" at its point.
      label->setWordWrap(false);
      widget = label;
      break;
    }
    case ControlKind::StaticIcon: {
      auto* label = new QLabel(&dialog);
      const QPixmap icon = ApplicationIcon().pixmap(32, 32);
      label->setPixmap(icon);
      // An icon control takes the size of its icon.
      geometry.setSize(icon.size());
      widget = label;
      break;
    }
    case ControlKind::PushButton: {
      auto* button = new QPushButton(Text(control, language), &dialog);
      button->setDefault((control.styles & STYLE_DEFAULT_BUTTON) != 0);
      widget = button;
      break;
    }
    case ControlKind::DropDownCombo: {
      auto* combo = new QComboBox(&dialog);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      // The template's height includes the dropped-down list; closed, the box is one line.
      geometry.setHeight(combo->sizeHint().height());
      widget = combo;
      break;
    }
    case ControlKind::EditLine: {
      auto* edit = new QLineEdit(&dialog);
      edit->setReadOnly((control.styles & STYLE_READ_ONLY) != 0);
      widget = edit;
      break;
    }
    case ControlKind::EditLog: {
      auto* edit = new QPlainTextEdit(&dialog);
      edit->setReadOnly((control.styles & STYLE_READ_ONLY) != 0);
      edit->setLineWrapMode(QPlainTextEdit::NoWrap);
      edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      // Tab moves on to the next control rather than into the text.
      edit->setTabChangesFocus(true);
      if ((control.styles & STYLE_WANT_RETURN) != 0) {
        edit->installEventFilter(new ReturnKeeper(edit));
      }
      widget = edit;
      break;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(&dialog);
      bar->setTextVisible(false);
      widget = bar;
      break;
    }
  }
  widget->setGeometry(geometry);
  widget->setFocusPolicy((control.styles & STYLE_TAB_STOP) ? Qt::StrongFocus : Qt::NoFocus);
  const DialogRect& rect = control.Rect(language);
  widget->setProperty(DIALOG_UNITS_PROPERTY, QRect(rect.x, rect.y, rect.width, rect.height));
  if (control.id >= 0) {
    SetControlId(*widget, control.id);
  }
  return widget;
}

}  // namespace

QFont DialogFont(Language language) {
  QFont font;
  if (language == Language::Japanese) {
    font = QFont(QStringLiteral("IPAPGothic"));
    font.setStyleHint(QFont::SansSerif);
  } else {
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  }
  font.setPointSize(kDialogPointSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

int DialogUnits::ToPixelsX(int units) const {
  return MulDiv(units, baseX, 4);
}
int DialogUnits::ToPixelsY(int units) const {
  return MulDiv(units, baseY, 8);
}

QRect DialogUnits::ToPixels(const DialogRect& rect) const {
  return {ToPixelsX(rect.x), ToPixelsY(rect.y), ToPixelsX(rect.width), ToPixelsY(rect.height)};
}

DialogUnits DialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

void BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate, Language language) {
  const QFont font = DialogFont(language);
  dialog.setFont(font);
  const DialogUnits units = DialogUnitsOf(font);
  dialog.setWindowTitle(QString::fromUtf8(dialogTemplate.caption.data(),
                                          static_cast<qsizetype>(dialogTemplate.caption.size())));
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  const bool japanese = language == Language::Japanese;
  dialog.setFixedSize(
      units.ToPixelsX(japanese ? dialogTemplate.japaneseWidth : dialogTemplate.englishWidth),
      units.ToPixelsY(japanese ? dialogTemplate.japaneseHeight : dialogTemplate.englishHeight));

  std::vector<QWidget*> tabStops;
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(dialog, control, language, units);
    if (control.styles & STYLE_TAB_STOP) {
      tabStops.push_back(widget);
    }
  }
  for (std::size_t i = 1; i < tabStops.size(); ++i) {
    QWidget::setTabOrder(tabStops[i - 1], tabStops[i]);
  }
}

void CenterOnScreen(QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

}  // namespace drvflash
