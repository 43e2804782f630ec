#include "aspi/accepted_request.h"

#include <algorithm>
#include <cstring>

namespace drvflash {
namespace {
thread_local ObserveNextAcceptedRequest* t_observerScope = nullptr;
}  // namespace

ObserveNextAcceptedRequest::ObserveNextAcceptedRequest(std::shared_ptr<RequestObserver> observer)
    : observer_(std::move(observer)), outer_(t_observerScope) {
  t_observerScope = this;
}

ObserveNextAcceptedRequest::~ObserveNextAcceptedRequest() {
  t_observerScope = outer_;
}

std::shared_ptr<AcceptedRequest> AcceptedRequest::Accept(SRB_ExecSCSICmd& requesterBlock) {
  const SRB_ExecSCSICmd& block = requesterBlock;
  const bool hasEvent = (block.SRB_Flags & SRB_EVENT_NOTIFY) != 0 && block.SRB_PostProc != nullptr;
  const bool bothDirections =
      (block.SRB_Flags & (SRB_DIR_IN | SRB_DIR_OUT)) == (SRB_DIR_IN | SRB_DIR_OUT);
  if (!hasEvent || bothDirections || block.SRB_CDBLen == 0 ||
      block.SRB_CDBLen > sizeof block.CDBByte || block.SRB_SenseLen > sizeof block.SenseArea ||
      (block.SRB_BufLen > 0 && block.SRB_BufPointer == nullptr)) {
    return nullptr;
  }
  auto* event = static_cast<CompletionEvent*>(block.SRB_PostProc);
  auto request = std::make_shared<AcceptedRequest>(requesterBlock, event->Arm());
  if (t_observerScope != nullptr && !t_observerScope->taken_) {
    request->observer_ = std::move(t_observerScope->observer_);
    t_observerScope->taken_ = true;
  }
  return request;
}

AcceptedRequest::AcceptedRequest(SRB_ExecSCSICmd& requesterBlock, CompletionTicket ticket)
    : requester_(&requesterBlock), copy_(requesterBlock), ticket_(std::move(ticket)) {
  if (IsDataOut() && copy_.SRB_BufLen > 0) {
    dataOut_.assign(copy_.SRB_BufPointer, copy_.SRB_BufPointer + copy_.SRB_BufLen);
  }
  requester_->SRB_Status = SS_PENDING;
}

bool AcceptedRequest::Deliver(const ScsiAnswer& answer) {
  // Told before the requester wakes, so that whatever it does next comes after in a trace.
  if (observer_ && !reported_.exchange(true)) {
    observer_->Ended(*this, answer);
  }
  return ticket_.Complete([&] {
    SRB_ExecSCSICmd& block = *requester_;
    if (IsDataIn() && copy_.SRB_BufPointer != nullptr) {
      const std::size_t count = std::min<std::size_t>(answer.dataIn.size(), copy_.SRB_BufLen);
      std::copy_n(answer.dataIn.begin(), count, copy_.SRB_BufPointer);
      if (answer.status == SS_COMP) {
        std::fill(copy_.SRB_BufPointer + count, copy_.SRB_BufPointer + copy_.SRB_BufLen, 0);
      }
    }
    if (!answer.sense.empty()) {
      const std::size_t count = std::min<std::size_t>(answer.sense.size(), copy_.SRB_SenseLen);
      std::copy_n(answer.sense.begin(), count, block.SenseArea);
    }
    block.SRB_HaStat = answer.haStat;
    block.SRB_TargStat = answer.targStat;
    block.SRB_Status = answer.status;
  });
}

void AcceptedRequest::Abandon() {
  if (observer_ && !reported_.exchange(true)) {
    observer_->NeverEnds(*this);
  }
}

}  // namespace drvflash
