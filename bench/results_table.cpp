#include "results_table.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace drvflash::bench {

namespace {

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::Pass:
      return "pass";
    case Verdict::Fail:
      return "FAIL";
    case Verdict::Info:
      return "-";
  }
  return "-";
}

}  // namespace

void PrintTable(const std::vector<TableRow>& rows) {
  std::array<std::size_t, 3> widths{7, 5, 6};
  for (const TableRow& row : rows) {
    widths[0] = std::max(widths[0], row.measure.size());
    widths[1] = std::max(widths[1], row.value.size());
    widths[2] = std::max(widths[2], row.target.size());
  }
  const auto line = [&widths](const std::string& measure, const std::string& value,
                              const std::string& target, const char* result) {
    std::printf("%-*s | %-*s | %-*s | %s\n", static_cast<int>(widths[0]), measure.c_str(),
                static_cast<int>(widths[1]), value.c_str(), static_cast<int>(widths[2]),
                target.c_str(), result);
  };
  line("measure", "value", "target", "result");
  std::printf("%s\n", std::string(widths[0] + widths[1] + widths[2] + 15, '-').c_str());
  for (const TableRow& row : rows) {
    line(row.measure, row.value, row.target, VerdictText(row.verdict));
  }
}

}  // namespace drvflash::bench
