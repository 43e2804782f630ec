// The main window's shell: closing, the About entry, the icon and the hidden key.
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include "drive/busy_flag.h"
#include "drive/transfer_buffers.h"
#include "messages/resource_language.h"
#include "ui/about_dlg.h"
#include "ui/display_text.h"
#include "ui/updater_dlg.h"
#include "update/update_thread.h"

namespace {
constexpr unsigned kAboutMenuString = 101;
constexpr int kIconSize = 32;
}  // namespace

void CUpdaterDlg::reject() {
  OnCancel();
}

void CUpdaterDlg::OnCancel() {
  // A worker just started has not set the busy flag yet, but will address this window.
  if (g_busy.load() != 0 || RunningWorkers() != 0) {
    return;
  }
  FreeTransferBuffers();
  QDialog::reject();
}

void CUpdaterDlg::OnSysCommand(unsigned id) {
  if ((id & 0xFFF0u & 0xFFFFu) == IDM_ABOUTBOX) {
    CAboutDlg about(this);
    about.exec();
  } else if ((id & 0xFFF0u) == SC_CLOSE) {
    close();
  }
}

QIcon CUpdaterDlg::OnQueryDragIcon() const {
  return m_hIcon;
}

void CUpdaterDlg::contextMenuEvent(QContextMenuEvent* event) {
  const std::string about = LoadResourceString(kAboutMenuString);
  if (about.empty()) {
    QDialog::contextMenuEvent(event);
    return;
  }
  QMenu menu(this);
  // The entry's "(&A)" gives it its access key, as in a system menu.
  menu.addAction(drvflash::DisplayText(about), this, [this] { OnSysCommand(IDM_ABOUTBOX); });
  menu.exec(event->globalPos());
}

void CUpdaterDlg::paintEvent(QPaintEvent* event) {
  if (!isMinimized()) {
    QDialog::paintEvent(event);
    return;
  }
  QPainter painter(this);
  const QRect client = rect();
  const int x = (client.width() - kIconSize + 1) / 2;
  const int y = (client.height() - kIconSize + 1) / 2;
  m_hIcon.paint(&painter, x, y, kIconSize, kIconSize);
}

bool CUpdaterDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F10) {
    // A key goes first to the focused control, then, while ignored, to its parents as the same
    // press: counting it only at its first receiver starts one report per press.
    QWidget* firstReceiver = QApplication::focusWidget();
    if (firstReceiver == nullptr) {
      firstReceiver = QApplication::activeWindow();
    }
    if (watched == firstReceiver && firstReceiver != nullptr &&
        (firstReceiver == this || isAncestorOf(firstReceiver))) {
      StartDriveInfoReport();
    }
  }
  return QDialog::eventFilter(watched, event);  // the key goes on as usual
}
