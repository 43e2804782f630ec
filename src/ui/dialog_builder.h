#pragma once

#include <QFont>
#include <QRect>

#include "messages/string_table.h"
#include "ui/resources/dialog_templates.h"

class QDialog;

namespace drvflash {

// The 9-point dialog font: the system's sans face in English; in Japanese the nearest installed
// proportional gothic to the template's "ＭＳ Ｐゴシック".
QFont DialogFont(Language language);

// Dialog units of a font, as the platform defines them: a horizontal unit is a quarter of the
// average width of the 52 letters, a vertical unit an eighth of the font's height.
struct DialogUnits {
  int baseX = 0;
  int baseY = 0;

  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
  QRect ToPixels(const DialogRect& rect) const;
};
DialogUnits DialogUnitsOf(const QFont& font);

// The property every built control carries: its rect in dialog units, as in the template.
inline constexpr char DIALOG_UNITS_PROPERTY[] = "drvflashDialogUnits";

// Gives `dialog` the template's font, caption, fixed size and controls (created as its
// children in template order, with their ids, texts, places, styles, tab order and default
// button), in `language`.
void BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate, Language language);

// Moves a top-level window to the centre of its screen.
void CenterOnScreen(QWidget& window);

}  // namespace drvflash
