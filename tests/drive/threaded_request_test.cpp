#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "aspi/accepted_request.h"
#include "aspi/aspi_layer.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"

namespace drvflash {
namespace {

using namespace std::chrono_literals;

// Answers from a thread of its own, as the SG_IO layer does, but only when the test says so.
class ThreadedLayer final : public AspiLayer {
 public:
  DWORD GetSupportInfo() override { return DWORD{SS_COMP} << 8; }
  BYTE InquireHostAdapter(SRB_HAInquiry& srb) override { return srb.SRB_Status = SS_INVALID_HA; }
  BYTE ExecuteScsiCommand(SRB_ExecSCSICmd& srb) override {
    auto accepted = AcceptedRequest::Accept(srb);
    std::lock_guard guard(mutex_);
    requests_.push_back(std::move(accepted));
    cv_.notify_all();
    return SS_PENDING;
  }
  // Answers request number `index` (counted from 0) on another thread once it has arrived;
  // returns that thread.
  std::thread AnswerRequest(std::size_t index, ScsiAnswer answer, bool* delivered) {
    return std::thread([this, index, answer = std::move(answer), delivered] {
      std::unique_lock lock(mutex_);
      cv_.wait(lock, [this, index] { return requests_.size() > index; });
      auto request = requests_[index];
      lock.unlock();
      *delivered = request->Deliver(answer);
    });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<std::shared_ptr<AcceptedRequest>> requests_;
};

RequestFields InquiryOfTarget(BYTE target) {
  RequestFields fields;
  fields.targetId = target;
  fields.flags = SRB_EVENT_NOTIFY | SRB_DIR_IN;
  fields.buffer = g_inquiryBuffer;
  fields.bufferLength = 254;
  fields.cdb = {0x12, 0, 0, 0, 0xFE, 0};
  fields.cdbLength = 6;
  return fields;
}

// A late answer from the layer's thread races with the next request on the same block.
TEST(ThreadedRequestTest, LateAnswerFromAnotherThreadNeverReachesTheNextRequest) {
  ThreadedLayer layer;
  SetActiveAspiLayer(&layer);
  AllocateTransferBuffers();

  EXPECT_EQ(ExecuteRequest(InquiryOfTarget(1), 1ms), OUTCOME_NO_COMPLETION);

  bool lateDelivered = true;
  bool nextDelivered = false;
  std::thread late =
      layer.AnswerRequest(0, ScsiAnswer::Good(std::vector<BYTE>(254, 'L')), &lateDelivered);
  std::thread next =
      layer.AnswerRequest(1, ScsiAnswer::Good(std::vector<BYTE>(254, 'N')), &nextDelivered);
  EXPECT_EQ(ExecuteRequest(InquiryOfTarget(2), 30s), OUTCOME_OK);
  late.join();
  next.join();

  EXPECT_FALSE(lateDelivered);
  EXPECT_TRUE(nextDelivered);
  EXPECT_EQ(g_srb.SRB_Target, 2);
  EXPECT_TRUE(std::all_of(g_inquiryBuffer, g_inquiryBuffer + 254, [](BYTE b) { return b == 'N'; }));

  FreeTransferBuffers();
  SetActiveAspiLayer(nullptr);
}

}  // namespace
}  // namespace drvflash
