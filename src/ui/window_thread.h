#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>

namespace drvflash {

// True on the thread that runs the event loop and owns every widget.
bool IsWindowThread();

// Ends the program with a diagnostic when called off the window thread. Qt's release build
// does not notice a widget touched from a worker, so every helper that touches one says so.
void RequireWindowThread(const char* operation);

// Runs `operation` on the thread of `window` and returns its result once it has run there, as
// a sent window message does: a worker blocks until the window's thread has applied it, and
// that thread keeps dispatching events meanwhile. On the window's own thread it runs at once,
// since a blocking queued call to oneself deadlocks. A window destroyed before the operation
// ran drops it; the caller then gets a value-initialised result.
template <std::invocable Operation>
std::invoke_result_t<Operation> OnWindowThread(QObject& window, Operation&& operation) {
  using Result = std::invoke_result_t<Operation>;
  if (QThread::currentThread() == window.thread()) {
    return std::invoke(std::forward<Operation>(operation));
  }
  // Qt's queue already orders the two threads; the handoff states that order in our own code
  // too, where ThreadSanitizer can see it.
  std::atomic<int> handoff{0};
  std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> result;
  handoff.store(1, std::memory_order_release);
  QMetaObject::invokeMethod(
      &window,
      [&] {
        static_cast<void>(handoff.load(std::memory_order_acquire));
        if constexpr (std::is_void_v<Result>) {
          std::invoke(operation);
          result.emplace(true);
        } else {
          result.emplace(std::invoke(operation));
        }
        handoff.store(2, std::memory_order_release);
      },
      Qt::BlockingQueuedConnection);
  static_cast<void>(handoff.load(std::memory_order_acquire));
  if constexpr (!std::is_void_v<Result>) {
    return result ? std::move(*result) : Result{};
  }
}

}  // namespace drvflash
