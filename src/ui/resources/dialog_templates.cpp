#include "ui/resources/dialog_templates.h"

#include <array>

namespace {

constexpr unsigned kLabel = STYLE_NONE;

// Dialog 102, the main window. Where the Japanese template differs, its rect says so.
constexpr std::array<ControlTemplate, 15> kMainControls{{
    {1011,
     ControlKind::StaticText,
     "Korvane QTX-517/K52 drive firmware update tool",
     "Korvane QTX-517/K52ドライブファームウェア書き換えツール",
     {5, 0, 205, 8},
     {5, 0, 205, 8},
     STYLE_NO_WRAP},
    {1009,
     ControlKind::StaticText,
     "Drive to be updated",
     "ファームウェアを書き換えるドライブ",
     {5, 15, 115, 8},
     {5, 15, 115, 8},
     kLabel},
    {1000, ControlKind::DropDownCombo, "", "", {5, 25, 235, 70}, {5, 25, 235, 70}, STYLE_TAB_STOP},
    {1001,
     ControlKind::PushButton,
     "Open firmware file",
     "ファイルを開く",
     {5, 55, 70, 14},
     {5, 55, 70, 14},
     STYLE_TAB_STOP | STYLE_DEFAULT_BUTTON},
    {1002,
     ControlKind::StaticText,
     "Firmware file",
     "ファームウェアファイル",
     {80, 43, 145, 8},
     {80, 43, 145, 8},
     kLabel},
    {1003,
     ControlKind::EditLine,
     "",
     "",
     {80, 55, 160, 14},
     {80, 55, 160, 14},
     STYLE_TAB_STOP | STYLE_READ_ONLY | STYLE_BORDER},
    {1005,
     ControlKind::EditLog,
     "",
     "",
     {5, 100, 235, 75},
     {5, 100, 235, 85},
     STYLE_TAB_STOP | STYLE_READ_ONLY | STYLE_BORDER | STYLE_WANT_RETURN},
    {1010,
     ControlKind::StaticText,
     "Update progress indicator",
     "ファームウェア書き換えの進行状況",
     {5, 90, 205, 8},
     {5, 90, 205, 8},
     kLabel},
    {1006, ControlKind::ProgressBar, "", "", {5, 180, 235, 14}, {5, 190, 235, 14}, STYLE_BORDER},
    {1007,
     ControlKind::PushButton,
     "Start",
     "書き換えを始める",
     {25, 200, 65, 14},
     {25, 210, 65, 14},
     STYLE_TAB_STOP},
    {1014,
     ControlKind::StaticText,
     "Firmware file version",
     "ファームウェアファイルのバージョン",
     {5, 80, 105, 8},
     {5, 80, 105, 8},
     STYLE_VCENTER},
    {1015,
     ControlKind::StaticText,
     "Drive firmware version",
     "ドライブのバージョン",
     {135, 80, 80, 8},
     {135, 80, 80, 8},
     STYLE_VCENTER},
    {1012, ControlKind::StaticText, "???", "???", {115, 80, 15, 8}, {115, 80, 15, 8}, kLabel},
    {1013, ControlKind::StaticText, "???", "???", {220, 80, 20, 8}, {220, 80, 20, 8}, kLabel},
    {IDCANCEL_BUTTON,
     ControlKind::PushButton,
     "Close",
     "閉じる",
     {150, 200, 65, 14},
     {150, 210, 65, 14},
     STYLE_TAB_STOP},
}};

// Dialog 100, the About box: the same in both languages but for the font.
constexpr std::array<ControlTemplate, 4> kAboutControls{{
    {-1, ControlKind::StaticIcon, "", "", {11, 17, 20, 20}, {11, 17, 20, 20}, kLabel},
    {-1,
     ControlKind::StaticText,
     "drvflash Version 1.00",
     "drvflash Version 1.00",
     {40, 10, 119, 8},
     {40, 10, 119, 8},
     STYLE_NO_PREFIX},
    {-1,
     ControlKind::StaticText,
     "No warranty: use at your own risk",
     "No warranty: use at your own risk",
     {40, 25, 119, 8},
     {40, 25, 119, 8},
     kLabel},
    {IDOK_BUTTON,
     ControlKind::PushButton,
     "OK",
     "OK",
     {178, 7, 50, 14},
     {178, 7, 50, 14},
     STYLE_TAB_STOP | STYLE_DEFAULT_BUTTON},
}};

constexpr DialogTemplate kMainDialog{
    IDD_UPDATER_DIALOG, "drvflash version 1.00", 243, 216, 243, 229, kMainControls};
constexpr DialogTemplate kAboutDialog{IDD_ABOUTBOX, "version", 235, 55, 235, 55, kAboutControls};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  return kMainDialog;
}
const DialogTemplate& AboutDialogTemplate() {
  return kAboutDialog;
}
