#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "aspi/aspi_layer.h"
#include "platform/clock.h"

namespace drvflash {

// Where trace lines go: each line is written whole and flushed at once, from any thread.
class TraceSink {
 public:
  // Appends to the file, creating it; null with `error` set when it cannot be opened.
  static std::shared_ptr<TraceSink> AppendToFile(const std::filesystem::path& file,
                                                 std::string& error);
  // Writes to `out`, which the caller keeps alive as long as the sink.
  static std::shared_ptr<TraceSink> ToStream(std::ostream& out);

  void WriteLine(std::string_view line);

  explicit TraceSink(std::ostream& out) : out_(&out) {}
  explicit TraceSink(std::unique_ptr<std::ofstream> file)
      : file_(std::move(file)), out_(file_.get()) {}

 private:
  std::mutex mutex_;
  std::unique_ptr<std::ofstream> file_;
  std::ostream* out_;
};

// Wraps any layer and writes one JSON line per execute request it passes on, when the request
// ends (or, for one that will never end, when it is sent):
// {"seq":N,"t_ms":T,"ha":H,"target":T,"lun":L,"cdb":"hex","dir":"none|in|out","len":N,
//  "data_sha256":"hex" (out only),"status":S,"ha_stat":A,"sense":"kk-aa-qq"}
// Adapter inquiries pass through untraced.
class TraceLayer final : public AspiLayer {
 public:
  // `inner` outlives this layer; t_ms counts from now on the active clock.
  TraceLayer(AspiLayer& inner, std::shared_ptr<TraceSink> sink);

  DWORD GetSupportInfo() override;
  BYTE InquireHostAdapter(SRB_HAInquiry& srb) override;
  BYTE ExecuteScsiCommand(SRB_ExecSCSICmd& srb) override;

 private:
  AspiLayer& inner_;
  std::shared_ptr<TraceSink> sink_;
  Milliseconds start_;
  std::atomic<std::uint64_t> nextSeq_{1};
};

// The variable that names the trace file.
inline constexpr const char* TRACE_VARIABLE = "DRVFLASH_TRACE";

// A TraceLayer over `inner` appending to the file that DRVFLASH_TRACE names; null when the
// variable is unset or empty, or, with `error` set, when the file cannot be opened.
std::unique_ptr<TraceLayer> TraceLayerFromEnvironment(AspiLayer& inner, std::string& error);

}  // namespace drvflash
