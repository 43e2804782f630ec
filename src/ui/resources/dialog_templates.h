#pragma once

#include <span>
#include <string_view>

#include "messages/string_table.h"

// The program's dialogs as data: every control with its id, kind, texts and place in dialog
// units, in template order (which is also the tab order among the controls with a tab stop).

enum class ControlKind {
  StaticText,
  StaticIcon,
  PushButton,
  DropDownCombo,  // a drop-down list with an edit field; its height includes the list
  EditLine,       // single line, scrolls horizontally
  EditLog,        // multi-line, both scroll bars, no wrapping
  ProgressBar,
};

// Styles that matter beyond the kind.
enum ControlStyle : unsigned {
  STYLE_NONE = 0,
  STYLE_TAB_STOP = 1u << 0,
  STYLE_DEFAULT_BUTTON = 1u << 1,
  STYLE_READ_ONLY = 1u << 2,
  STYLE_VCENTER = 1u << 3,
  STYLE_NO_WRAP = 1u << 4,    // one line, clipped at the right
  STYLE_NO_PREFIX = 1u << 5,  // an ampersand is shown, not taken as an access key
  STYLE_BORDER = 1u << 6,
  STYLE_WANT_RETURN = 1u << 7,  // Return stays in the control: no default button is pressed
};

struct DialogRect {
  int x, y, width, height;
  bool operator==(const DialogRect&) const = default;
};

struct ControlTemplate {
  int id;  // -1 for a control without an id of its own
  ControlKind kind;
  std::string_view english;
  std::string_view japanese;
  DialogRect englishRect;
  DialogRect japaneseRect;
  unsigned styles;

  std::string_view Text(Language language) const {
    return language == Language::Japanese ? japanese : english;
  }
  const DialogRect& Rect(Language language) const {
    return language == Language::Japanese ? japaneseRect : englishRect;
  }
};

struct DialogTemplate {
  int id;
  std::string_view caption;
  int englishWidth, englishHeight;
  int japaneseWidth, japaneseHeight;
  std::span<const ControlTemplate> controls;
};

// The main window.
const DialogTemplate& MainDialogTemplate();
// The About box.
const DialogTemplate& AboutDialogTemplate();

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_UPDATER_DIALOG = 102;
inline constexpr int IDI_APPLICATION_ICON = 128;
inline constexpr int IDOK_BUTTON = 1;
inline constexpr int IDCANCEL_BUTTON = 2;
