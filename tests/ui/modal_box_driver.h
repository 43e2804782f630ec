#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace drvflash {

// Waits, inside whatever modal loop is running, for a message box to become the active modal
// window and hands it to `answer`, which must close it.
inline void WhenMessageBoxOpens(std::function<void(QMessageBox&)> answer) {
  auto* poll = new QTimer(QApplication::instance());
  QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      answer(*box);
    }
  });
  poll->start(5);
}

}  // namespace drvflash
