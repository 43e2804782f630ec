#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/scsi_answer.h"
#include "platform/clock.h"

namespace drvflash::testing {

// How the script answers one request.
struct ScriptedReply {
  enum class Completion { Immediately, Later, Never };
  ScsiAnswer answer;
  Completion completion = Completion::Immediately;
  Milliseconds delay{0};

  static ScriptedReply Now(ScsiAnswer answer);
  // Answers `delay` after the request was sent, on the active clock.
  static ScriptedReply After(Milliseconds delay, ScsiAnswer answer);
  static ScriptedReply NeverCompletes();
};

// A request exactly as the layer received it.
struct SentRequest {
  SRB_ExecSCSICmd block;
  std::vector<BYTE> dataOut;
  Milliseconds sentAt{0};
  bool delivered = false;  // whether its answer reached the requester

  std::vector<BYTE> Cdb() const { return {block.CDBByte, block.CDBByte + block.SRB_CDBLen}; }
};

// An ASPI layer for tests: records every request and answers each as scripted.
class ScriptedAspiLayer final : public AspiLayer {
 public:
  using Responder = std::function<std::optional<ScriptedReply>(const SentRequest&)>;

  // Queues the reply to the next request that no earlier queued reply answers.
  void Queue(ScriptedReply reply);
  // The reply when nothing is queued and the responder declines; GOOD at once unless set.
  void SetDefault(ScriptedReply reply);
  // Consulted before the queue.
  void SetResponder(Responder responder);

  // Host adapter inquiry: one adapter per identifier (raw bytes, at most 16).
  void SetAdapters(std::vector<std::string> identifiers);
  void SetSupportStatus(BYTE status);

  std::vector<SentRequest> Requests() const;
  std::vector<BYTE> AdapterInquiries() const;  // SRB_HaId of every host adapter inquiry
  void ClearRequests();

  DWORD GetSupportInfo() override;
  BYTE InquireHostAdapter(SRB_HAInquiry& srb) override;
  BYTE ExecuteScsiCommand(SRB_ExecSCSICmd& srb) override;

 private:
  ScriptedReply NextReply(const SentRequest& request);

  mutable std::mutex mutex_;
  std::vector<ScriptedReply> queue_;
  std::optional<ScriptedReply> default_;
  Responder responder_;
  std::vector<std::string> adapters_;
  BYTE supportStatus_ = SS_COMP;
  std::vector<SentRequest> requests_;
  std::vector<BYTE> adapterInquiries_;
};

}  // namespace drvflash::testing
