#include "scripted_aspi_layer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "aspi/accepted_request.h"

namespace drvflash::testing {

ScriptedReply ScriptedReply::Now(ScsiAnswer answer) {
  return {std::move(answer), Completion::Immediately, Milliseconds{0}};
}

ScriptedReply ScriptedReply::After(Milliseconds delay, ScsiAnswer answer) {
  return {std::move(answer), Completion::Later, delay};
}

ScriptedReply ScriptedReply::NeverCompletes() {
  return {{}, Completion::Never, Milliseconds{0}};
}

void ScriptedAspiLayer::Queue(ScriptedReply reply) {
  std::lock_guard guard(mutex_);
  queue_.push_back(std::move(reply));
}

void ScriptedAspiLayer::SetDefault(ScriptedReply reply) {
  std::lock_guard guard(mutex_);
  default_ = std::move(reply);
}

void ScriptedAspiLayer::SetResponder(Responder responder) {
  std::lock_guard guard(mutex_);
  responder_ = std::move(responder);
}

void ScriptedAspiLayer::SetAdapters(std::vector<std::string> identifiers) {
  std::lock_guard guard(mutex_);
  adapters_ = std::move(identifiers);
}

void ScriptedAspiLayer::SetSupportStatus(BYTE status) {
  std::lock_guard guard(mutex_);
  supportStatus_ = status;
}

std::vector<SentRequest> ScriptedAspiLayer::Requests() const {
  std::lock_guard guard(mutex_);
  return requests_;
}

std::vector<BYTE> ScriptedAspiLayer::AdapterInquiries() const {
  std::lock_guard guard(mutex_);
  return adapterInquiries_;
}

void ScriptedAspiLayer::ClearRequests() {
  std::lock_guard guard(mutex_);
  requests_.clear();
  adapterInquiries_.clear();
}

DWORD ScriptedAspiLayer::GetSupportInfo() {
  std::lock_guard guard(mutex_);
  return (DWORD{supportStatus_} << 8) | static_cast<BYTE>(adapters_.size());
}

BYTE ScriptedAspiLayer::InquireHostAdapter(SRB_HAInquiry& srb) {
  std::lock_guard guard(mutex_);
  adapterInquiries_.push_back(srb.SRB_HaId);
  if (srb.SRB_HaId >= adapters_.size()) {
    srb.SRB_Status = SS_INVALID_HA;
    return srb.SRB_Status;
  }
  const std::string& name = adapters_[srb.SRB_HaId];
  srb.HA_Count = static_cast<BYTE>(adapters_.size());
  std::memset(srb.HA_Identifier, 0, sizeof srb.HA_Identifier);
  std::memcpy(srb.HA_Identifier, name.data(), std::min(name.size(), sizeof srb.HA_Identifier));
  srb.SRB_Status = SS_COMP;
  return srb.SRB_Status;
}

ScriptedReply ScriptedAspiLayer::NextReply(const SentRequest& request) {
  if (responder_) {
    if (auto reply = responder_(request)) {
      return *reply;
    }
  }
  if (!queue_.empty()) {
    ScriptedReply reply = std::move(queue_.front());
    queue_.erase(queue_.begin());
    return reply;
  }
  return default_.value_or(ScriptedReply::Now(ScsiAnswer::Good()));
}

BYTE ScriptedAspiLayer::ExecuteScsiCommand(SRB_ExecSCSICmd& srb) {
  auto accepted = AcceptedRequest::Accept(srb);
  if (!accepted) {
    srb.SRB_Status = SS_INVALID_SRB;
    return srb.SRB_Status;
  }
  std::size_t index;
  ScriptedReply reply;
  {
    std::lock_guard guard(mutex_);
    SentRequest sent;
    sent.block = accepted->Block();
    sent.dataOut.assign(accepted->DataOut().begin(), accepted->DataOut().end());
    sent.sentAt = ActiveClock().Now();
    requests_.push_back(sent);
    index = requests_.size() - 1;
    reply = NextReply(sent);
  }
  switch (reply.completion) {
    case ScriptedReply::Completion::Immediately: {
      const bool delivered = accepted->Deliver(reply.answer);
      std::lock_guard guard(mutex_);
      requests_[index].delivered = delivered;
      return reply.answer.status;
    }
    case ScriptedReply::Completion::Later:
      ActiveClock().Schedule(reply.delay, [this, accepted, index, answer = reply.answer] {
        const bool delivered = accepted->Deliver(answer);
        std::lock_guard guard(mutex_);
        requests_[index].delivered = delivered;
      });
      return SS_PENDING;
    case ScriptedReply::Completion::Never:
      return SS_PENDING;
  }
  return SS_PENDING;
}

}  // namespace drvflash::testing
