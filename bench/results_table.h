#pragma once

#include <string>
#include <vector>

namespace drvflash::bench {

enum class Verdict { Pass, Fail, Info };

struct TableRow {
  std::string measure;
  std::string value;
  std::string target;
  Verdict verdict = Verdict::Info;
};

// Prints the rows as a table with a header line: measure, value, target, result.
void PrintTable(const std::vector<TableRow>& rows);

}  // namespace drvflash::bench
