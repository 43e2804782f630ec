#include "platform/completion_event.h"

namespace drvflash {

CompletionEvent::CompletionEvent() : state_(std::make_shared<State>()) {}

CompletionEvent::~CompletionEvent() {
  std::lock_guard guard(state_->mutex);
  state_->armed = 0;
}

CompletionTicket CompletionEvent::Arm() {
  std::lock_guard guard(state_->mutex);
  state_->armed = ++state_->lastGeneration;
  state_->signalled = false;
  return CompletionTicket(state_, state_->armed);
}

bool CompletionEvent::Wait(Milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  const bool answered =
      ActiveClock().WaitFor(lock, state_->cv, timeout, [this] { return state_->signalled; });
  if (!answered) {
    state_->armed = 0;
  }
  state_->signalled = false;
  return answered;
}

bool CompletionTicket::Complete(const std::function<void()>& deliver) {
  if (!state_) {
    return false;
  }
  std::lock_guard guard(state_->mutex);
  if (generation_ == 0 || state_->armed != generation_) {
    return false;
  }
  deliver();
  state_->armed = 0;
  state_->signalled = true;
  state_->cv.notify_all();
  return true;
}

bool CompletionTicket::Awaited() const {
  if (!state_) {
    return false;
  }
  std::lock_guard guard(state_->mutex);
  return generation_ != 0 && state_->armed == generation_;
}

}  // namespace drvflash
