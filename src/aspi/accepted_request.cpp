#include "aspi/accepted_request.h"

#include <algorithm>
#include <cstring>

namespace drvflash {

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
  return std::make_shared<AcceptedRequest>(requesterBlock, event->Arm());
}

AcceptedRequest::AcceptedRequest(SRB_ExecSCSICmd& requesterBlock, CompletionTicket ticket)
    : requester_(&requesterBlock), copy_(requesterBlock), ticket_(std::move(ticket)) {
  if (IsDataOut() && copy_.SRB_BufLen > 0) {
    dataOut_.assign(copy_.SRB_BufPointer, copy_.SRB_BufPointer + copy_.SRB_BufLen);
  }
  requester_->SRB_Status = SS_PENDING;
}

bool AcceptedRequest::Deliver(const ScsiAnswer& answer) {
  return ticket_.Complete([&] {
    SRB_ExecSCSICmd& block = *requester_;
    if (IsDataIn() && copy_.SRB_BufPointer != nullptr) {
      const std::size_t count = std::min<std::size_t>(answer.dataIn.size(), copy_.SRB_BufLen);
      std::copy_n(answer.dataIn.begin(), count, copy_.SRB_BufPointer);
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

}  // namespace drvflash
