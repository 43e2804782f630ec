// The progress log operations of the main window.
#include <QPlainTextEdit>

#include "messages/progress_log.h"
#include "messages/resource_language.h"
#include "ui/display_text.h"
#include "ui/updater_dlg.h"
#include "ui/window_thread.h"

using drvflash::OnWindowThread;

void CUpdaterDlg::AppendLogText(std::string_view text) {
  OnWindowThread(*this, [&] {
    g_logText.append(text);
    SetLogPaneText(g_logText);
  });
}

void CUpdaterDlg::AppendLogString(unsigned id) {
  AppendLogText(LoadResourceString(id));
}

void CUpdaterDlg::ShowLogLine(std::string_view text) {
  OnWindowThread(*this, [&] { SetLogPaneText(text); });
}

void CUpdaterDlg::ShowMessageAndLogLine(unsigned textId, unsigned captionId, unsigned logLineId,
                                        drvflash::BoxButtons type) {
  ShowMessageBox(LoadResourceString(textId), LoadResourceString(captionId), type);
  ShowLogLine(LoadResourceString(logLineId));
}

void CUpdaterDlg::ClearLog() {
  OnWindowThread(*this, [] { g_logText.clear(); });
}

void CUpdaterDlg::ShowAttentionText() {
  for (const unsigned id : {102u, 103u, 106u, 104u, 105u}) {
    AppendLogString(id);
  }
}

drvflash::BoxAnswer CUpdaterDlg::ShowMessageBox(std::string_view text, std::string_view caption,
                                                drvflash::BoxButtons type) {
  return OnWindowThread(*this, [&] {
    return drvflash::ActiveMessageBoxPresenter().Present(*this, std::string(text),
                                                         std::string(caption), type);
  });
}

void CUpdaterDlg::SetLogPaneText(std::string_view text) {
  drvflash::RequireWindowThread("CUpdaterDlg::SetLogPaneText");
  m_logPane->setPlainText(drvflash::DisplayText(text));
}
