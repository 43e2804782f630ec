#include "bench_support.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <fstream>
#include <sstream>

namespace drvflash::bench {

double MillisecondsBetween(SteadyTime from, SteadyTime to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

BoxAnswer AnsweringPresenter::Present(QWidget& /*owner*/, const std::string& text,
                                      const std::string& /*caption*/, BoxButtons /*buttons*/) {
  texts.push_back(text);
  return BoxAnswer::Ok;
}

Installed::Installed(Clock* clock, MessageBoxPresenter* presenter) {
  SetActiveClock(clock);
  SetActiveMessageBoxPresenter(presenter);
}

Installed::~Installed() {
  SetActiveMessageBoxPresenter(nullptr);
  SetActiveClock(nullptr);
}

ResidentMemory ReadResidentMemory() {
  ResidentMemory memory;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    std::istringstream fields(line);
    std::string key;
    long value = -1;
    fields >> key >> value;
    if (key == "VmHWM:") {
      memory.peakKiB = value;
    } else if (key == "VmRSS:") {
      memory.currentKiB = value;
    }
  }
  return memory;
}

bool ServeEventsUntil(const std::function<bool()>& done, Milliseconds timeout) {
  // Something to wake the loop even when nothing else happens.
  QTimer wake;
  wake.start(5);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

bool WaitUntilExposed(QWidget& window) {
  return ServeEventsUntil(
      [&window] { return window.windowHandle() != nullptr && window.windowHandle()->isExposed(); },
      Milliseconds{5000});
}

}  // namespace drvflash::bench
