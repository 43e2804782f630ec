// The main window's firmware file: the proposal at start-up and the Open firmware file button.
#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <system_error>

#include "firmware/firmware_discovery.h"
#include "firmware/firmware_file.h"
#include "messages/built_in_text.h"
#include "messages/resource_language.h"
#include "platform/utf8_text.h"
#include "ui/display_text.h"
#include "ui/file_dialog_presenter.h"
#include "ui/updater_dlg.h"
#include "ui/window_thread.h"
#include "update/worker_request.h"

namespace {

constexpr unsigned kSelectFirmwareFileString = 107;
constexpr char kRawTextProperty[] = "drvflashRawText";

std::string CurrentDirectory() {
  std::error_code error;
  const std::filesystem::path directory = std::filesystem::current_path(error);
  return error ? std::string() : directory.string();
}

}  // namespace

void CUpdaterDlg::SetFirmwareFileText(const std::string& text) {
  drvflash::RequireWindowThread("CUpdaterDlg::SetFirmwareFileText");
  m_firmwareFile->setProperty(kRawTextProperty, QByteArray::fromStdString(text));
  m_firmwareFile->setText(drvflash::DisplayText(text));
}

std::string CUpdaterDlg::FirmwareFileText() {
  return drvflash::OnWindowThread(*this, [&] {
    const QVariant raw = m_firmwareFile->property(kRawTextProperty);
    return raw.isValid() ? raw.toByteArray().toStdString() : m_firmwareFile->text().toStdString();
  });
}

void CUpdaterDlg::DiscoverFirmwareFile() {
  const std::string directory = CurrentDirectory();
  const std::vector<std::string> names =
      directory.empty() ? std::vector<std::string>() : MatchingFirmwareNames(directory);
  drvflash::OnWindowThread(*this, [&] {
    if (names.empty()) {
      SetFirmwareFileText(LoadResourceString(kSelectFirmwareFileString));
      return;
    }
    const std::optional<std::string> newest = NewestFirmwareName(names);
    if (!newest) {
      return;
    }
    SetFirmwareFileText((std::filesystem::path(directory) / *newest).string());
    m_fileVersion->setText(drvflash::DisplayText(DiscoveredVersionLabel(*newest)));
  });
}

void CUpdaterDlg::OnOpenFirmwareFile() {
  drvflash::RequireWindowThread("CUpdaterDlg::OnOpenFirmwareFile");
  const std::optional<std::string> path =
      drvflash::ActiveFileDialogPresenter().ChooseFirmwareFile(*this);
  if (!path) {
    return;
  }
  toThread.n_filename = *path;
  if (!FirmwareFile::Open(*path)) {
    const std::string last12(drvflash::Utf8LastCharacters(*path, 12));
    const std::string english = "File " + last12 + " open failure";
    const std::string japanese =
        "ファームウェアファイル：" + last12 + "を開くことができませんでした．";
    ShowMessageBox(BuiltInText(english, japanese), BuiltInText("Error", "ファイルオープンエラー"),
                   drvflash::BoxButtons::Ok);
    ShowLogLine(
        BuiltInText("\r\n File " + last12 + " open failure",
                    "\r\n ファームウェアファイル : " + last12 + " を開くことができませんでした"));
    return;
  }
  SetFirmwareFileText(*path);
  m_fileVersion->setText(drvflash::DisplayText(ChosenVersionLabel(*path)));
}
