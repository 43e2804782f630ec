#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "aspi/aspi_layer.h"
#include "aspi/sim/scenario.h"
#include "aspi/sim/simulated_aspi_layer.h"
#include "aspi/trace_layer.h"
#include "platform/clock.h"
#include "platform/completion_event.h"

namespace drvflash::sim {
namespace {

using namespace std::chrono_literals;

struct Ended {
  BYTE status;
  BYTE senseKey;
  BYTE asc;
};

// One request on a block and event of the calling thread's own, as a requester makes it.
Ended Send(BYTE target, std::vector<BYTE> cdb, std::vector<BYTE> dataOut = {}) {
  CompletionEvent event;
  SRB_ExecSCSICmd srb{};
  srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
  srb.SRB_Flags = SRB_EVENT_NOTIFY | (dataOut.empty() ? 0 : SRB_DIR_OUT);
  srb.SRB_Target = target;
  srb.SRB_BufLen = static_cast<DWORD>(dataOut.size());
  srb.SRB_BufPointer = dataOut.empty() ? nullptr : dataOut.data();
  srb.SRB_SenseLen = SENSE_LEN;
  srb.SRB_CDBLen = static_cast<BYTE>(cdb.size());
  std::memcpy(srb.CDBByte, cdb.data(), cdb.size());
  srb.SRB_PostProc = &event;
  if (SendASPI32Command(&srb) == SS_PENDING) {
    event.Wait(5000ms);
  }
  return {srb.SRB_Status, srb.SenseArea[2], srb.SenseArea[12]};
}

const std::vector<BYTE> kTestUnitReady = {0, 0, 0, 0, 0, 0};

// Answers come on the real clock's timer thread to requesters waiting on their own threads,
// while another thread looks at the drive and the trace takes every line.
TEST(SimThreadedTest, RestartsAndDelayedAnswersOnTheRealClock) {
  SetActiveClock(nullptr);
  ScenarioLoad load = ParseScenario(
      R"({"adapters": [{"targets": {"1": {"restart_ms": 20}, "2": {}}}],
          "faults": [{"target": 2, "command": "test_unit_ready", "result": {"delay_ms": 2}}]})",
      "threaded", "");
  ASSERT_TRUE(load.scenario) << load.error;
  std::string error;
  auto layer = SimulatedAspiLayer::Create(*load.scenario, error);
  ASSERT_TRUE(layer) << error;
  std::ostringstream traced;
  TraceLayer trace(*layer, TraceSink::ToStream(traced));
  SetActiveAspiLayer(&trace);

  std::atomic<int> finished{0};
  std::thread restarter([&] {
    std::vector<BYTE> signature(256, 0);
    std::memcpy(signature.data(), "KORVANE QTX-M482", 16);
    for (int i = 0; i < 10; ++i) {
      const Milliseconds closed = ActiveClock().Now();
      EXPECT_EQ(Send(1, {0x3B, 5, 0xFF, 0, 0, 0, 0, 1, 0, 0}, signature).status, SS_COMP);
      const Ended attention = Send(1, kTestUnitReady);
      EXPECT_GE(ActiveClock().Now() - closed, 20ms) << "answered only when the drive is back";
      EXPECT_EQ(attention.senseKey, 0x06);
      EXPECT_EQ(attention.asc, 0x29);
      EXPECT_EQ(Send(1, kTestUnitReady).asc, 0x3A);
    }
    ++finished;
  });
  std::thread poller([&] {
    for (int i = 0; i < 30; ++i) {
      const Ended ended = Send(2, kTestUnitReady);
      EXPECT_EQ(ended.status, SS_ERR);
      EXPECT_EQ(ended.asc, 0x3A);
    }
    ++finished;
  });
  while (finished < 2) {
    EXPECT_TRUE(layer->ViewDrive(0, 1).has_value());
    std::this_thread::sleep_for(1ms);
  }
  restarter.join();
  poller.join();
  SetActiveAspiLayer(nullptr);
  EXPECT_EQ(layer->ViewDrive(0, 1)->revision, "0000");

  std::istringstream lines(traced.str());
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    ++count;
  }
  EXPECT_EQ(count, 10 * 3 + 30);
}

}  // namespace
}  // namespace drvflash::sim
