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

namespace detail {

// Carries a window call through Qt's event queue. Qt orders the two threads with primitives
// that ThreadSanitizer cannot see; releases on this counter when the call is copied into the
// queue and when it has run, and acquires before it runs and before a copy is destroyed (the
// worker may destroy Qt's copy), state that order in our own code. Read-modify-write releases
// accumulate, so calls from several workers never hide each other's order.
inline std::atomic<unsigned> g_windowCallOrder{0};

template <class Call>
class QueuedWindowCall {
 public:
  explicit QueuedWindowCall(Call& call) : call_(&call) {}
  QueuedWindowCall(const QueuedWindowCall& other) : call_(other.call_) {
    g_windowCallOrder.fetch_add(1, std::memory_order_release);
  }
  QueuedWindowCall& operator=(const QueuedWindowCall&) = delete;
  ~QueuedWindowCall() { static_cast<void>(g_windowCallOrder.load(std::memory_order_acquire)); }

  void operator()() const {
    static_cast<void>(g_windowCallOrder.load(std::memory_order_acquire));
    (*call_)();
    g_windowCallOrder.fetch_add(1, std::memory_order_release);
  }

 private:
  Call* call_;
};

}  // namespace detail

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
  std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> result;
  auto run = [&] {
    if constexpr (std::is_void_v<Result>) {
      std::invoke(operation);
      result.emplace(true);
    } else {
      result.emplace(std::invoke(operation));
    }
  };
  const detail::QueuedWindowCall call(run);
  QMetaObject::invokeMethod(&window, call, Qt::BlockingQueuedConnection);
  if constexpr (!std::is_void_v<Result>) {
    return result ? std::move(*result) : Result{};
  }
}

}  // namespace drvflash
