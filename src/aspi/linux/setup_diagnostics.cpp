#include "aspi/linux/setup_diagnostics.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace drvflash::linux_sg {
namespace {

std::string GroupName(gid_t gid) {
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(4096);
  while (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  return found != nullptr ? found->gr_name : "";
}

UnopenableNode Describe(const std::filesystem::path& node, int error) {
  UnopenableNode problem{node, error, "", false};
  struct stat info {};
  if (::stat(node.c_str(), &info) == 0) {
    problem.group = GroupName(info.st_gid);
    problem.groupMayOpen = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  }
  return problem;
}

std::string JoinNodes(const std::vector<std::filesystem::path>& nodes) {
  std::string text;
  for (const auto& node : nodes) {
    text += (text.empty() ? "" : ", ") + node.string();
  }
  return text;
}

BilingualText UnopenableText(const UnopenableNode& problem) {
  const std::string node = problem.node.string();
  const std::string reason = std::generic_category().message(problem.error);
  BilingualText text{"\r\nCannot open " + node + " (" + reason + ").",
                     "\r\n" + node + " を開けません (" + reason + ")。"};
  if (problem.error != EACCES && problem.error != EPERM) {
    return text;
  }
  if (problem.groupMayOpen && !problem.group.empty()) {
    const std::string& group = problem.group;
    text.english += " Add your user to the group \"" + group +
                    "\" that owns it (sudo usermod -aG " + group +
                    " $USER) and log in again, or run drvflash as root.";
    text.japanese += "所有グループ \"" + group + "\" にユーザーを追加して (sudo usermod -aG " +
                     group + " $USER) ログインし直すか、drvflash を root で実行してください。";
  } else {
    text.english += " Run drvflash as root.";
    text.japanese += "drvflash を root で実行してください。";
  }
  return text;
}

}  // namespace

SetupProblems FindSetupProblems(const SysfsRoots& roots, SgExecutor& executor) {
  SetupProblems problems;
  for (const ScsiDevice& device : ListScsiDevices(roots)) {
    if (device.type != SCSI_TYPE_ROM) {
      continue;
    }
    const std::optional<DeviceNode> node = ResolveDeviceNode(roots, device.address);
    if (!node) {
      continue;
    }
    if (!node->generic) {
      problems.blockOnlyNodes.push_back(node->path);
    }
    if (const int error = executor.TryOpen(node->path); error != 0) {
      problems.unopenable.push_back(Describe(node->path, error));
    }
  }
  problems.noGenericNode = !GenericDriverPresent(roots) || !problems.blockOnlyNodes.empty();
  return problems;
}

std::vector<BilingualText> SetupProblemTexts(const SetupProblems& problems) {
  std::vector<BilingualText> texts;
  for (const UnopenableNode& problem : problems.unopenable) {
    texts.push_back(UnopenableText(problem));
  }
  if (problems.noGenericNode) {
    if (problems.blockOnlyNodes.empty()) {
      texts.push_back(
          {"\r\nNo SCSI generic node (/dev/sg*) exists. Load the sg driver: "
           "sudo modprobe sg",
           "\r\nSCSI 汎用ノード (/dev/sg*) がありません。sg ドライバを読み込んで"
           "ください: sudo modprobe sg"});
    } else {
      const std::string nodes = JoinNodes(problems.blockOnlyNodes);
      texts.push_back(
          {"\r\nNo SCSI generic node for " + nodes +
               ": firmware can be written only as root. Load the sg driver: "
               "sudo modprobe sg",
           "\r\n" + nodes +
               " の SCSI 汎用ノードがないため、ファームウェアは root でしか書き込めません。"
               "sg ドライバを読み込んでください: sudo modprobe sg"});
    }
  }
  return texts;
}

}  // namespace drvflash::linux_sg
