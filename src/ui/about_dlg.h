#pragma once

#include <QDialog>

// The About box (dialog 100): the program's name and version, a notice, OK.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* owner = nullptr);
};
