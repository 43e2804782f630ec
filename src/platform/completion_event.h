#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/clock.h"

namespace drvflash {

class CompletionTicket;

// The event of one request cycle: created before the request is sent, released when the cycle
// ends. Whoever answers the request does so through the ticket it took when it accepted the
// request, and an answer reaches the requester only while the requester still waits for that
// very request: once a wait has timed out, the event has been armed again or it has been
// released, the answer is dropped and touches nothing of the requester's.
class CompletionEvent {
 public:
  CompletionEvent();
  ~CompletionEvent();
  CompletionEvent(const CompletionEvent&) = delete;
  CompletionEvent& operator=(const CompletionEvent&) = delete;

  // Called by the answering side when it accepts a request; revokes any earlier ticket.
  CompletionTicket Arm();

  // Waits on the active clock until the armed request is answered or `timeout` passes. True when
  // it was answered; the signal is consumed (auto-reset). On a time-out the armed request is
  // revoked, so its answer can no longer change anything after this returns.
  bool Wait(Milliseconds timeout);

 private:
  friend class CompletionTicket;
  struct State {
    std::mutex mutex;
    std::condition_variable cv;
    std::uint64_t armed = 0;  // generation of the request that may still answer; 0: none
    std::uint64_t lastGeneration = 0;
    bool signalled = false;
  };
  std::shared_ptr<State> state_;
};

// The answering side's hold on one accepted request.
class CompletionTicket {
 public:
  CompletionTicket() = default;

  // If the requester still waits for this request, runs `deliver` (which writes the answer into
  // the requester's block and buffer) and signals the event, both under the event's lock; else
  // does nothing. Returns whether the answer was delivered. A ticket delivers at most once.
  bool Complete(const std::function<void()>& deliver);

  // Whether the requester still waits for this request: a layer need not start one that nobody
  // waits for any more.
  bool Awaited() const;

 private:
  friend class CompletionEvent;
  CompletionTicket(std::shared_ptr<CompletionEvent::State> state, std::uint64_t generation)
      : state_(std::move(state)), generation_(generation) {}

  std::shared_ptr<CompletionEvent::State> state_;
  std::uint64_t generation_ = 0;
};

}  // namespace drvflash
