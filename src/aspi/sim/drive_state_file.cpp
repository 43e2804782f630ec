#include "aspi/sim/drive_state_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace drvflash::sim {

DriveStateLoad LoadDriveState(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    return {};
  }
  const std::string name = file.string();
  std::ifstream in(file, std::ios::binary);
  if (!in || !std::filesystem::is_regular_file(file, error)) {
    return {std::nullopt, name + ": the drive state file cannot be read"};
  }
  std::ostringstream text;
  text << in.rdbuf();
  const nlohmann::json root = nlohmann::json::parse(text.str(), nullptr, false);
  if (root.is_discarded() || !root.is_object()) {
    return {std::nullopt, name + ": the drive state file is not a JSON object"};
  }
  const auto revision = root.find("revision");
  const auto mode = root.find("mode");
  if (revision == root.end() || !revision->is_string() ||
      revision->get<std::string>().size() != 4) {
    return {std::nullopt, name + ": \"revision\" must be a text of 4 characters"};
  }
  if (mode == root.end() || !mode->is_string() || (*mode != "normal" && *mode != "kernel")) {
    return {std::nullopt, name + ": \"mode\" must be \"normal\" or \"kernel\""};
  }
  return {DriveState{revision->get<std::string>(), *mode == "kernel"}, {}};
}

bool SaveDriveState(const std::filesystem::path& file, const DriveState& state,
                    std::string& error) {
  nlohmann::ordered_json root;
  root["revision"] = state.revision;
  root["mode"] = state.kernelMode ? "kernel" : "normal";
  std::filesystem::path temporary = file;
  temporary += ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << root.dump(2) << '\n';
    out.close();
    if (!out) {
      error = temporary.string() + ": cannot be written: " + std::strerror(errno);
      return false;
    }
  }
  std::error_code renameError;
  std::filesystem::rename(temporary, file, renameError);
  if (renameError) {
    error = file.string() + ": cannot be replaced: " + renameError.message();
    return false;
  }
  return true;
}

}  // namespace drvflash::sim
