#pragma once

#include <atomic>
#include <memory>
#include <span>
#include <vector>

#include "aspi/aspi.h"
#include "aspi/scsi_answer.h"
#include "platform/completion_event.h"

namespace drvflash {

class AcceptedRequest;

// Learns how each request it watches ends, whatever the layer that took it on (a trace, for
// one). Called on whichever thread ends the request, outside every lock of the requester's
// event, and before the requester can see the answer.
class RequestObserver {
 public:
  virtual ~RequestObserver() = default;
  // The layer answered; `answer` is what it answered, whether or not the requester still waited.
  virtual void Ended(const AcceptedRequest& request, const ScsiAnswer& answer) = 0;
  // The layer will never answer the request.
  virtual void NeverEnds(const AcceptedRequest& request) = 0;
};

// While it lives, the next request that a layer accepts on this thread reports to `observer`.
// A wrapping layer sets one up around its call into the layer it wraps.
class ObserveNextAcceptedRequest {
 public:
  explicit ObserveNextAcceptedRequest(std::shared_ptr<RequestObserver> observer);
  ~ObserveNextAcceptedRequest();
  ObserveNextAcceptedRequest(const ObserveNextAcceptedRequest&) = delete;
  ObserveNextAcceptedRequest& operator=(const ObserveNextAcceptedRequest&) = delete;

  // Whether a request was accepted and took the observer.
  bool Taken() const { return taken_; }

 private:
  friend class AcceptedRequest;
  std::shared_ptr<RequestObserver> observer_;
  bool taken_ = false;
  ObserveNextAcceptedRequest* outer_;
};

// An execute request that a layer has taken on. The layer works on its own copy of the block
// and of the outgoing data; the requester's block and buffer are written only by Deliver, and
// only while the requester still waits for this request. A late answer is dropped, so a block,
// buffer or event that the requester has reused or released is never touched.
class AcceptedRequest {
 public:
  // Null when the block cannot be taken on (no event to signal, a CDB or sense length beyond
  // the block, data without a buffer); the caller then ends it with SS_INVALID_SRB. Otherwise
  // marks the requester's block SS_PENDING.
  static std::shared_ptr<AcceptedRequest> Accept(SRB_ExecSCSICmd& requesterBlock);

  const SRB_ExecSCSICmd& Block() const { return copy_; }
  std::span<const BYTE> Cdb() const { return {copy_.CDBByte, copy_.SRB_CDBLen}; }
  std::span<const BYTE> DataOut() const { return dataOut_; }
  bool IsDataIn() const { return (copy_.SRB_Flags & SRB_DIR_IN) != 0; }
  bool IsDataOut() const { return (copy_.SRB_Flags & SRB_DIR_OUT) != 0; }

  // Writes `answer` into the requester's block (status, SRB_HaStat, SRB_TargStat, the sense
  // when the answer carries any) and its data into the requester's buffer, then signals the
  // event; or drops it. Returns whether it was delivered. A successful read that brought fewer
  // bytes than the buffer holds clears the rest: no byte of an earlier command stays behind
  // to be taken for this one's.
  bool Deliver(const ScsiAnswer& answer);

  // Whether the requester still waits for the answer.
  bool StillAwaited() const { return ticket_.Awaited(); }

  // The layer will never answer: the requester's wait runs out. Tells the observer now, since
  // no later moment exists.
  void Abandon();

  AcceptedRequest(SRB_ExecSCSICmd& requesterBlock, CompletionTicket ticket);

 private:
  SRB_ExecSCSICmd* requester_;
  SRB_ExecSCSICmd copy_;
  std::vector<BYTE> dataOut_;
  CompletionTicket ticket_;
  std::shared_ptr<RequestObserver> observer_;
  std::atomic<bool> reported_{false};
};

}  // namespace drvflash
