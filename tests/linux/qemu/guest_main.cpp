// The first process of the qemu test machine: brings up the SCSI drives, then scans and
// questions them through the Linux ASPI layer and the drive functions, printing what it saw
// ("DRVFLASH ..." lines) for the test on the host to check, and powers the machine off.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "aspi/aspi_layer.h"
#include "aspi/linux/linux_aspi_layer.h"
#include "aspi/linux/scsi_sysfs.h"
#include "aspi/linux/setup_diagnostics.h"
#include "aspi/trace_layer.h"
#include "drive/command_set.h"
#include "drive/drive_scan.h"
#include "drive/request_block.h"
#include "drive/transfer_buffers.h"
#include "guest_machine.h"

namespace {

using namespace drvflash;

std::string Field(const std::uint8_t* bytes, std::size_t length) {
  return {reinterpret_cast<const char*>(bytes), length};
}

void Report(const std::string& entry) {
  const DriveAddress address = ParseDriveAddress(entry);
  g_haId = address.haId;
  g_targetId = address.targetId;
  g_lun = 0;
  const std::string where =
      "HA=" + std::to_string(address.haId) + " ID=" + std::to_string(address.targetId);

  // A drive may still hold the unit attention of its power-on or of its new medium.
  DriveOutcome ready = TestUnitReady();
  for (int i = 0; i < 3 && (ready == OUTCOME_RESET || ready == OUTCOME_MEDIUM_CHANGED); ++i) {
    ready = TestUnitReady();
  }
  std::printf("DRVFLASH %s test_unit_ready outcome=%d sense=%s\n", where.c_str(), ready,
              FormatSenseText().c_str());

  const DriveOutcome inquiry = Inquiry();
  std::printf("DRVFLASH %s inquiry outcome=%d vendor=\"%s\" product=\"%s\" revision=\"%s\"\n",
              where.c_str(), inquiry, Field(g_inquiryBuffer + 8, 8).c_str(),
              Field(g_inquiryBuffer + 16, 16).c_str(), Field(g_inquiryBuffer + 32, 4).c_str());

  const DriveOutcome idBlock = ReadDriveIdBlock();
  std::printf("DRVFLASH %s read_id_block outcome=%d sense=%s\n", where.c_str(), idBlock,
              FormatSenseText().c_str());
}

// Before the sg driver is loaded: the drives are reached through their block nodes, and the
// setup check says what is missing.
void RunBlockNodeChecks() {
  std::printf("\n");  // the firmware's last line may lack its end
  auto layer = linux_sg::CreateLinuxAspiLayer();
  SetActiveAspiLayer(layer.get());
  AllocateTransferBuffers();
  FindDrives();  // warm-up, as below
  const auto drives = FindDrives().value_or(std::vector<std::string>{});
  for (const std::string& entry : drives) {
    std::printf("DRVFLASH sr drive \"%s\"\n", entry.c_str());
  }
  if (!drives.empty()) {
    const DriveAddress address = ParseDriveAddress(drives.front());
    g_haId = address.haId;
    g_targetId = address.targetId;
    const DriveOutcome ready = TestUnitReady();
    std::printf("DRVFLASH sr HA=%d ID=%d test_unit_ready outcome=%d sense=%s\n", address.haId,
                address.targetId, ready, FormatSenseText().c_str());
  }
  const auto problems = linux_sg::FindSetupProblems(layer->Roots(), layer->Executor());
  for (const auto& text : linux_sg::SetupProblemTexts(problems)) {
    std::printf("DRVFLASH sr setup: %s\n", text.english.substr(2).c_str());
  }
  SetActiveAspiLayer(nullptr);
  layer.reset();
  FreeTransferBuffers();
}

void RunChecks() {
  auto layer = linux_sg::CreateLinuxAspiLayer();
  std::string traceError;
  auto trace = TraceLayerFromEnvironment(*layer, traceError);
  if (!trace) {
    std::printf("DRVFLASH no trace: %s\n", traceError.c_str());
  }
  SetActiveAspiLayer(trace ? static_cast<AspiLayer*>(trace.get()) : layer.get());
  AllocateTransferBuffers();

  const DWORD support = GetASPI32SupportInfo();
  std::printf("DRVFLASH support status=%u adapters=%u\n", (support >> 8) & 0xFF, support & 0xFF);
  for (unsigned ha = 0; ha < (support & 0xFF); ++ha) {
    SRB_HAInquiry srb{};
    srb.SRB_HaId = static_cast<BYTE>(ha);
    SendASPI32Command(&srb);
    std::printf("DRVFLASH adapter %u \"%s\"\n", ha,
                reinterpret_cast<const char*>(srb.HA_Identifier));
  }
  // Adapter numbers follow a host by where it is attached: the kernel must say where.
  for (const linux_sg::ScsiHost& host : linux_sg::ListScsiHosts(linux_sg::SysfsRoots{})) {
    std::printf("DRVFLASH host %s attached below %s\n", host.procName.c_str(),
                host.attachment.empty() ? "nothing" : "a device");
  }

  // Under software emulation the first pass through the kernel's and our code is slowed by
  // its translation; a scan that warms them up first makes the 20 ms of the scan INQUIRY mean
  // what it means on a real machine.
  const std::size_t warmUp = FindDrives().value_or(std::vector<std::string>{}).size();
  std::printf("DRVFLASH warm-up scan found %zu\n", warmUp);
  const auto drives = FindDrives();
  for (const std::string& entry : drives.value_or(std::vector<std::string>{})) {
    std::printf("DRVFLASH drive \"%s\"\n", entry.c_str());
  }
  for (const std::string& entry : drives.value_or(std::vector<std::string>{})) {
    Report(entry);
  }

  const auto problems = linux_sg::FindSetupProblems(layer->Roots(), layer->Executor());
  const auto texts = linux_sg::SetupProblemTexts(problems);
  std::printf("DRVFLASH setup problems=%zu\n", texts.size());

  SetActiveAspiLayer(nullptr);
  trace.reset();
  layer.reset();
  FreeTransferBuffers();

  if (const char* file = std::getenv(TRACE_VARIABLE); file != nullptr) {
    std::ifstream lines(file);
    for (std::string line; std::getline(lines, line);) {
      std::printf("DRVFLASH trace %s\n", line.c_str());
    }
  }
  std::printf("DRVFLASH done\n");
}

}  // namespace

int main() {
  if (::getpid() != 1) {
    std::fprintf(stderr, "This program is the first process of the qemu test machine.\n");
    return 2;
  }
  const char* targets = std::getenv("drvflash_scan");
  if (qemu_guest::MountFilesystems() && qemu_guest::LoadModules("/modules.list") &&
      qemu_guest::ScanTargets(targets != nullptr ? targets : "")) {
    RunBlockNodeChecks();
    if (qemu_guest::LoadModules("/modules-sg.list")) {
      RunChecks();
    }
  } else {
    std::printf("DRVFLASH setup failed\n");
  }
  qemu_guest::PowerOff();
  return 0;
}
