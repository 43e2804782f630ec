#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "aspi/linux/scsi_sysfs.h"
#include "aspi/linux/sg_executor.h"

namespace drvflash::linux_sg {

// A CD/DVD drive whose node this process cannot open.
struct UnopenableNode {
  std::filesystem::path node;
  int error = 0;              // errno of the open
  std::string group;          // the group that owns the node; empty when it has no name
  bool groupMayOpen = false;  // whether that group may read and write the node
};

// What keeps the scan from reaching a drive that is there, or WRITE BUFFER from reaching it.
struct SetupProblems {
  std::vector<UnopenableNode> unopenable;
  // The sg driver is not loaded, or a drive has only its block node: INQUIRY works through
  // /dev/srN, WRITE BUFFER there needs root.
  bool noGenericNode = false;
  std::vector<std::filesystem::path> blockOnlyNodes;  // drives reached through /dev/srN

  bool Empty() const { return unopenable.empty() && !noGenericNode; }
};

// Looks at every CD/DVD drive the kernel knows (other devices, disks above all, are not the
// tool's business) and tries to open its node as requests would.
SetupProblems FindSetupProblems(const SysfsRoots& roots, SgExecutor& executor);

struct BilingualText {
  std::string english;
  std::string japanese;
};

// Progress log pieces (each begins with "\r\n") that say what is wrong and how to fix it.
std::vector<BilingualText> SetupProblemTexts(const SetupProblems& problems);

}  // namespace drvflash::linux_sg
