// Every command of an update, each answered once with every kind of fault the drive can give.
#include <sstream>

#include "hardening_fixture.h"

namespace drvflash::testing {
namespace {

// One command of an update of a drive on 1.28, which takes its kernel part first: the rule
// fields that pick it, counted from the start-up scan on.
struct UpdateCommand {
  std::string name;
  std::string command;
  nlohmann::json match;
  int from;
  Milliseconds wait;  // how long the update waits for its answer
};

nlohmann::json WriteBufferAt(int mode, int bufferId, int offset) {
  return {{"mode", mode}, {"buffer_id", bufferId}, {"offset", offset}};
}

std::string Hex(int value) {
  std::stringstream text;
  text << std::hex << value;
  return text.str();
}

std::vector<UpdateCommand> UpdateCommands() {
  const nlohmann::json any = nlohmann::json::object();
  const nlohmann::json idBlock = {{"buffer_id", 0xF1}};
  std::vector<UpdateCommand> commands = {
      {"TUR_first", "test_unit_ready", any, 1, 35000ms},
      {"TUR_no_disc_test", "test_unit_ready", any, 2, 35000ms},
      {"RB_f1_check", "read_buffer", idBlock, 1, 60000ms},
      {"INQ_check", "inquiry", any, 2, 60000ms},  // the scan asked first
      {"RB_f1_variant", "read_buffer", idBlock, 2, 60000ms},
      {"WB4_mode_switch", "write_buffer", WriteBufferAt(4, 0xFF, 0), 1, 35000ms},
  };
  for (int chunk = 0; chunk < 2; ++chunk) {
    commands.push_back({"WB7_fe_" + Hex(chunk * 0x8000), "write_buffer",
                        WriteBufferAt(7, 0xFE, chunk * 0x8000), 1, 35000ms});
  }
  commands.push_back({"TUR_after_kernel", "test_unit_ready", any, 3, 35000ms});
  for (int chunk = 0; chunk < 32; ++chunk) {
    commands.push_back({"WB7_f0_" + Hex(chunk * 0x8000), "write_buffer",
                        WriteBufferAt(7, 0xF0, chunk * 0x8000), 1, 35000ms});
  }
  commands.push_back({"WB5_closing", "write_buffer", WriteBufferAt(5, 0xFF, 0), 1, 35000ms});
  commands.push_back({"INQ_new_version", "inquiry", any, 3, 60000ms});
  return commands;
}

struct FaultKind {
  std::string name;
  nlohmann::json result;
  int count;  // -1: every matching command from there on
};

std::vector<FaultKind> FaultKinds(Milliseconds wait) {
  std::vector<FaultKind> kinds = {
      {"no completion", "no_completion", 1},
      {"adapter error", "host_error", 1},
      {"BUSY", "busy", 1},
      {"answer past the wait", {{"delay_ms", (wait + 1000ms).count()}}, 1},
      {"answer within the wait", {{"delay_ms", (wait - 1000ms).count()}}, 1},
      {"unit attention once", {{"sense", "06-29-00"}}, 1},
      {"unit attention for ever", {{"sense", "06-29-00"}}, -1},
  };
  // Each row of the outcome table, and a sense the table does not know.
  for (const char* sense : {"00-00-00", "02-04-01", "02-04-02", "02-3a-00", "04-08-01", "04-4c-00",
                            "06-28-00", "05-26-00"}) {
    kinds.push_back({std::string("sense ") + sense, {{"sense", sense}}, 1});
  }
  return kinds;
}

class FaultMatrix : public HardeningTest, public ::testing::WithParamInterface<UpdateCommand> {};

TEST_P(FaultMatrix, EveryFaultEndsSoundly) {
  const UpdateCommand& command = GetParam();
  for (const FaultKind& kind : FaultKinds(command.wait)) {
    SCOPED_TRACE(command.name + ", " + kind.name);
    StartDrive(DriveFields("1.28"), HardeningTest::Rule(command.command, command.match,
                                                        command.from, kind.count, kind.result));
    WriteFirmware();
    Open();
    RunUpdateServed();
    ExpectSoundEnd();
    Reset();
  }
}

INSTANTIATE_TEST_SUITE_P(UpdateCommands, FaultMatrix, ::testing::ValuesIn(UpdateCommands()),
                         [](const ::testing::TestParamInfo<UpdateCommand>& param) {
                           return param.param.name;
                         });

}  // namespace
}  // namespace drvflash::testing
