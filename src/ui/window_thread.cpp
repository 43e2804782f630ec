#include "ui/window_thread.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace drvflash {

bool IsWindowThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application != nullptr && QThread::currentThread() == application->thread();
}

void RequireWindowThread(const char* operation) {
  if (!IsWindowThread()) {
    qFatal("%s touches a widget off the window thread", operation);
  }
}

}  // namespace drvflash
