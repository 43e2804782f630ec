#include "aspi/trace_layer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <span>

#include "aspi/accepted_request.h"
#include "aspi/sha256.h"

namespace drvflash {
namespace {

std::string Hex(std::span<const BYTE> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (BYTE byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

// Sense key (low four bits), ASC and ASCQ of fixed-format sense; none reads as 00-00-00.
std::string SenseTriple(std::span<const BYTE> sense) {
  const int key = sense.size() > 2 ? sense[2] & 0x0F : 0;
  const int asc = sense.size() > 12 ? sense[12] : 0;
  const int ascq = sense.size() > 13 ? sense[13] : 0;
  char text[9];
  std::snprintf(text, sizeof text, "%02x-%02x-%02x", key, asc, ascq);
  return text;
}

const char* Direction(BYTE flags) {
  if ((flags & SRB_DIR_OUT) != 0) {
    return "out";
  }
  if ((flags & SRB_DIR_IN) != 0) {
    return "in";
  }
  return "none";
}

// One request's line: what was sent is fixed when it is sent, how it ended is added at the end.
class TraceEntry final : public RequestObserver {
 public:
  TraceEntry(std::shared_ptr<TraceSink> sink, std::uint64_t seq, Milliseconds sentAt)
      : sink_(std::move(sink)), seq_(seq), sentAt_(sentAt) {}

  void Ended(const AcceptedRequest& request, const ScsiAnswer& answer) override {
    Write(request.Block(), request.DataOut(), answer.status, answer.haStat, answer.sense,
          answer.osError);
  }
  void NeverEnds(const AcceptedRequest& request) override {
    Write(request.Block(), request.DataOut(), SS_PENDING, HASTAT_OK, {});
  }
  // The layer refused the block without taking it on; what it wrote is in the block.
  void Refused(const SRB_ExecSCSICmd& block, BYTE status) {
    std::span<const BYTE> data;
    if ((block.SRB_Flags & SRB_DIR_OUT) != 0 && block.SRB_BufPointer != nullptr) {
      data = {block.SRB_BufPointer, block.SRB_BufLen};
    }
    Write(block, data, status, block.SRB_HaStat, {});
  }

 private:
  void Write(const SRB_ExecSCSICmd& block, std::span<const BYTE> dataOut, BYTE status, BYTE haStat,
             std::span<const BYTE> sense, int osError = 0) {
    nlohmann::ordered_json line;
    line["seq"] = seq_;
    line["t_ms"] = sentAt_.count();
    line["ha"] = block.SRB_HaId;
    line["target"] = block.SRB_Target;
    line["lun"] = block.SRB_Lun;
    const std::size_t cdbLength = std::min<std::size_t>(block.SRB_CDBLen, sizeof block.CDBByte);
    line["cdb"] = Hex({block.CDBByte, cdbLength});
    line["dir"] = Direction(block.SRB_Flags);
    line["len"] = block.SRB_BufLen;
    if ((block.SRB_Flags & SRB_DIR_OUT) != 0) {
      line["data_sha256"] = Sha256Hex(dataOut);
    }
    line["status"] = status;
    line["ha_stat"] = haStat;
    line["sense"] = SenseTriple(sense);
    if (osError != 0) {
      line["errno"] = osError;
    }
    sink_->WriteLine(line.dump());
  }

  std::shared_ptr<TraceSink> sink_;
  std::uint64_t seq_;
  Milliseconds sentAt_;
};

}  // namespace

std::shared_ptr<TraceSink> TraceSink::AppendToFile(const std::filesystem::path& file,
                                                   std::string& error) {
  auto stream = std::make_unique<std::ofstream>(file, std::ios::out | std::ios::app);
  if (!stream->is_open()) {
    error = "cannot open the trace file " + file.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_shared<TraceSink>(std::move(stream));
}

std::shared_ptr<TraceSink> TraceSink::ToStream(std::ostream& out) {
  return std::make_shared<TraceSink>(out);
}

void TraceSink::WriteLine(std::string_view line) {
  std::lock_guard guard(mutex_);
  *out_ << line << '\n';
  out_->flush();
}

TraceLayer::TraceLayer(AspiLayer& inner, std::shared_ptr<TraceSink> sink)
    : inner_(inner), sink_(std::move(sink)), start_(ActiveClock().Now()) {}

DWORD TraceLayer::GetSupportInfo() {
  return inner_.GetSupportInfo();
}

BYTE TraceLayer::InquireHostAdapter(SRB_HAInquiry& srb) {
  return inner_.InquireHostAdapter(srb);
}

BYTE TraceLayer::ExecuteScsiCommand(SRB_ExecSCSICmd& srb) {
  auto entry =
      std::make_shared<TraceEntry>(sink_, nextSeq_.fetch_add(1), ActiveClock().Now() - start_);
  ObserveNextAcceptedRequest observe(entry);
  const BYTE status = inner_.ExecuteScsiCommand(srb);
  if (!observe.Taken()) {
    entry->Refused(srb, status);
  }
  return status;
}

std::unique_ptr<TraceLayer> TraceLayerFromEnvironment(AspiLayer& inner, std::string& error) {
  const char* file = std::getenv(TRACE_VARIABLE);
  if (file == nullptr || *file == '\0') {
    return nullptr;
  }
  auto sink = TraceSink::AppendToFile(file, error);
  if (!sink) {
    return nullptr;
  }
  return std::make_unique<TraceLayer>(inner, std::move(sink));
}

}  // namespace drvflash
