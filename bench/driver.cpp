#include "driver.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "results_table.h"
#include "sample_firmware.h"
#include "scenarios.h"

namespace drvflash::bench {

namespace {

// The fixed pauses of an update: no disc, mode switch, restart (twice with the kernel part),
// and one before every WRITE BUFFER: the signatures that open and close the download, 32
// chunks of the normal part, 2 of the kernel part.
constexpr long long kNoDiscPauseMs = 2000;
constexpr long long kModeSwitchPauseMs = 3000;
constexpr long long kRestartWaitMs = 4000;
constexpr long long kWritePauseMs = 30;
constexpr long long kNormalChunks = 32;
constexpr long long kKernelChunks = 2;
constexpr long long kSignatureTransfers = 2;

constexpr long long FloorMs(bool withKernelPart) {
  return kNoDiscPauseMs + kModeSwitchPauseMs + kRestartWaitMs +
         (withKernelPart ? kRestartWaitMs + kWritePauseMs * kKernelChunks : 0) +
         kWritePauseMs * (kSignatureTransfers + kNormalChunks);
}

// The scan waits 20 ms for each of 8 targets of an adapter.
constexpr double kScanCeilingPerAdapterMs = 8 * 20;
constexpr double kOverheadShare = 0.01;
constexpr double kLongestTickGapMs = 50;
// As much as a 32 KiB chunk left behind by each of the updates compared.
constexpr long kChunkKiB = 32;

std::string Fixed(double value, int decimals = 1) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

double Median(std::vector<double> values) {
  if (values.empty()) {
    return -1;
  }
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

Verdict PassIf(bool met) {
  return met ? Verdict::Pass : Verdict::Fail;
}

struct ChildRun {
  bool finishedWell = false;
  std::vector<nlohmann::json> lines;
  // From the start of the process to the line that says the window is shown.
  std::optional<double> shownAfterMs;
  std::string errors;
};

// Runs this program again as one of its measuring halves, in `folder`, on `scenario`.
ChildRun RunChild(const QStringList& arguments, const std::filesystem::path& scenario,
                  const std::filesystem::path& folder,
                  const std::function<void(const nlohmann::json&)>& onLine = {}) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DRVFLASH_SIM_SCENARIO"), QString::fromStdString(scenario));
  environment.remove(QStringLiteral("DRVFLASH_TRACE"));
  if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }
  process.setProcessEnvironment(environment);
  process.setWorkingDirectory(QString::fromStdString(folder));
  process.setProgram(QCoreApplication::applicationFilePath());
  process.setArguments(arguments);

  ChildRun run;
  const SteadyTime started = std::chrono::steady_clock::now();
  process.start();
  if (!process.waitForStarted()) {
    run.errors = "cannot start: " + process.errorString().toStdString();
    return run;
  }
  const auto readLines = [&] {
    while (process.canReadLine()) {
      const SteadyTime now = std::chrono::steady_clock::now();
      const nlohmann::json line =
          nlohmann::json::parse(process.readLine().toStdString(), nullptr, false);
      if (line.is_discarded()) {
        continue;
      }
      if (line.value("event", "") == "shown" && !run.shownAfterMs) {
        run.shownAfterMs = MillisecondsBetween(started, now);
      }
      run.lines.push_back(line);
      if (onLine) {
        onLine(line);
      }
    }
  };
  while (process.state() != QProcess::NotRunning) {
    readLines();
    process.waitForReadyRead(200);
  }
  process.waitForFinished(-1);
  readLines();
  run.errors = process.readAllStandardError().toStdString();
  run.finishedWell = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
  return run;
}

std::vector<nlohmann::json> LinesOf(const ChildRun& run, const std::string& event) {
  std::vector<nlohmann::json> found;
  for (const nlohmann::json& line : run.lines) {
    if (line.value("event", "") == event) {
      found.push_back(line);
    }
  }
  return found;
}

void ReportChildTrouble(const ChildRun& run, const char* what) {
  if (!run.finishedWell) {
    std::fprintf(stderr, "bench: %s did not finish well\n%s", what, run.errors.c_str());
    for (const nlohmann::json& line : run.lines) {
      if (line.contains("error")) {
        std::fprintf(stderr, "bench: %s\n", line.dump().c_str());
      }
    }
  }
}

struct StartupFigures {
  double processMs = -1;  // median: process start to the window shown and filled
  double windowMs = -1;   // median: window construction to shown and filled
  double scanMs = -1;     // median: the window's drive scan alone
  int filled = 0;         // runs whose list named the drive and whose file box held the file
  int runs = 0;
};

StartupFigures MeasureStartup(const std::filesystem::path& scenario,
                              const std::filesystem::path& folder, const std::string& expectedFile,
                              int runs) {
  StartupFigures figures;
  std::vector<double> process;
  std::vector<double> window;
  std::vector<double> scan;
  for (int run = 0; run < runs; ++run) {
    const ChildRun child = RunChild({QStringLiteral("--startup-probe")}, scenario, folder);
    ReportChildTrouble(child, "a start-up");
    const std::vector<nlohmann::json> shown = LinesOf(child, "shown");
    const std::vector<nlohmann::json> scanned = LinesOf(child, "scan");
    if (!child.finishedWell || shown.empty() || scanned.empty() || !child.shownAfterMs) {
      continue;
    }
    ++figures.runs;
    process.push_back(*child.shownAfterMs);
    window.push_back(shown.front().at("window_ms").get<double>());
    scan.push_back(scanned.front().at("scan_ms").get<double>());
    if (shown.front().at("first_entry").get<std::string>().starts_with("HA=0 ID=1 ") &&
        shown.front().at("firmware_file").get<std::string>().ends_with("/" + expectedFile)) {
      ++figures.filled;
    }
  }
  figures.processMs = Median(process);
  figures.windowMs = Median(window);
  figures.scanMs = Median(scan);
  return figures;
}

bool WriteJson(const std::filesystem::path& file, const nlohmann::json& content) {
  std::ofstream out(file);
  out << content.dump(2) << '\n';
  return static_cast<bool>(out);
}

std::string OverheadText(double wallMs, long long floorMs) {
  const double overhead = wallMs - static_cast<double>(floorMs);
  return Fixed(wallMs) + " ms = floor " + std::to_string(floorMs) + " + " + Fixed(overhead) +
         " ms (" + Fixed(100 * overhead / static_cast<double>(floorMs), 2) + "%)";
}

}  // namespace

int RunDriver(const DriverOptions& options) {
  QTemporaryDir work;
  if (!work.isValid()) {
    std::fprintf(stderr, "bench: no temporary folder\n");
    return 1;
  }
  const std::filesystem::path root = work.path().toStdString();
  const std::filesystem::path startupFolder = root / "startup";
  const std::filesystem::path updateFolder = root / "updates";
  std::filesystem::create_directories(startupFolder);
  std::filesystem::create_directories(updateFolder);
  const std::filesystem::path oneAdapter = root / "one-adapter.json";
  const std::filesystem::path lateEightByEight = root / "late-8x8.json";
  const tools::WrittenFirmware firmware = tools::WriteSampleFirmware({}, startupFolder);
  if (!firmware.error.empty() || !WriteJson(oneAdapter, OneAdapterScenario()) ||
      !WriteJson(lateEightByEight, LateEightByEightScenario())) {
    std::fprintf(stderr, "bench: cannot write the firmware files or scenarios in %s\n",
                 root.c_str());
    return 1;
  }
  const std::string expectedFile = firmware.normalPart.filename().string();

  std::fprintf(stderr, "bench: %d start-ups of each setup\n", options.startups);
  const StartupFigures one =
      MeasureStartup(oneAdapter, startupFolder, expectedFile, options.startups);
  const StartupFigures many =
      MeasureStartup(lateEightByEight, startupFolder, expectedFile, options.startups);

  std::fprintf(stderr, "bench: %d full updates in one process (about %lld s)\n", options.updates,
               (FloorMs(true) + (options.updates - 1) * FloorMs(false)) / 1000);
  const ChildRun series = RunChild(
      {QStringLiteral("--update-series"), QString::number(options.updates)}, oneAdapter,
      updateFolder, [](const nlohmann::json& line) {
        if (line.value("event", "") == "update") {
          std::fprintf(stderr, "bench: update %d: %s -> %s, %.1f ms%s\n",
                       line.at("index").get<int>(), line.at("from").get<std::string>().c_str(),
                       line.at("to").get<std::string>().c_str(), line.at("wall_ms").get<double>(),
                       line.at("succeeded").get<bool>() ? "" : " (FAILED)");
        }
      });
  ReportChildTrouble(series, "the update series");
  const std::vector<nlohmann::json> updates = LinesOf(series, "update");
  const std::vector<nlohmann::json> opened = LinesOf(series, "opened");

  std::vector<TableRow> rows;

  // Wall time against the floor, by kind of update; every update's pauses must be the floor.
  int succeeded = 0;
  double longestGapMs = 0;
  std::optional<double> kernelWallMs;
  std::vector<double> normalWallMs;
  bool pausesAreFloor = true;
  for (const nlohmann::json& update : updates) {
    const bool withKernelPart = update.at("from").get<std::string>() == "1.28";
    succeeded += update.at("succeeded").get<bool>() ? 1 : 0;
    longestGapMs = std::max(longestGapMs, update.at("longest_tick_gap_ms").get<double>());
    pausesAreFloor =
        pausesAreFloor && update.at("paused_ms").get<long long>() == FloorMs(withKernelPart);
    const double wall = update.at("wall_ms").get<double>();
    if (withKernelPart) {
      kernelWallMs = kernelWallMs ? std::max(*kernelWallMs, wall) : wall;
    } else {
      normalWallMs.push_back(wall);
    }
  }
  const auto overheadRow = [&](const std::string& measure, std::optional<double> wallMs,
                               bool withKernelPart) {
    const long long floor = FloorMs(withKernelPart);
    const double allowed = kOverheadShare * static_cast<double>(floor);
    rows.push_back({measure, wallMs ? OverheadText(*wallMs, floor) : "not measured",
                    "overhead < 1% of floor (" + Fixed(allowed) + " ms)",
                    PassIf(wallMs && *wallMs - static_cast<double>(floor) < allowed)});
  };
  overheadRow("full update with kernel part (update 1)", kernelWallMs, true);
  std::optional<double> worstNormal;
  if (!normalWallMs.empty()) {
    worstNormal = *std::max_element(normalWallMs.begin(), normalWallMs.end());
  }
  overheadRow("full update without kernel part (updates 2-" + std::to_string(options.updates) +
                  ", slowest)",
              worstNormal, false);
  if (!normalWallMs.empty()) {
    rows.push_back(
        {"  same, median", OverheadText(Median(normalWallMs), FloorMs(false)), "", Verdict::Info});
  }
  rows.push_back({"pauses asked of the clock, every update", pausesAreFloor ? "= floor" : "differ",
                  "= floor (" + std::to_string(FloorMs(true)) + " / " +
                      std::to_string(FloorMs(false)) + " ms)",
                  PassIf(pausesAreFloor && !updates.empty())});
  rows.push_back({"updates that ended with the new version, no box",
                  std::to_string(succeeded) + " of " + std::to_string(options.updates), "all",
                  PassIf(succeeded == options.updates)});
  rows.push_back({"longest gap between 10 ms ticks, main thread, during updates",
                  Fixed(longestGapMs) + " ms", "< " + Fixed(kLongestTickGapMs, 0) + " ms",
                  PassIf(!updates.empty() && longestGapMs < kLongestTickGapMs)});

  // Start-up.
  const auto startupRows = [&](const std::string& setup, const StartupFigures& figures,
                               double ceilingMs, std::optional<double> processLimitMs) {
    rows.push_back(
        {"start-up, " + setup + ": process start to window shown and filled",
         Fixed(figures.processMs) + " ms (window alone " + Fixed(figures.windowMs) + " ms), " +
             std::to_string(figures.filled) + "/" + std::to_string(options.startups) + " filled",
         processLimitMs ? "filled, <= " + Fixed(*processLimitMs) + " ms (1 adapter + ceiling)"
                        : "filled",
         PassIf(figures.filled == options.startups &&
                (!processLimitMs || figures.processMs <= *processLimitMs))});
    rows.push_back({"  its drive scan alone (the window's ScanDrives again)",
                    Fixed(figures.scanMs) + " ms",
                    "<= " + Fixed(ceilingMs, 0) + " ms (8 x 20 ms per adapter)",
                    PassIf(figures.runs > 0 && figures.scanMs <= ceilingMs)});
  };
  startupRows("1 adapter", one, kScanCeilingPerAdapterMs, std::nullopt);
  const double manyCeilingMs = 8 * kScanCeilingPerAdapterMs;
  startupRows("8 adapters x 8 targets, INQUIRY 25 ms late", many, manyCeilingMs,
              one.processMs + manyCeilingMs);

  // Resident memory of the process that ran the updates.
  if (!opened.empty() && !updates.empty()) {
    const long openedPeak = opened.front().at("vm_hwm_kib").get<long>();
    const long firstPeak = updates.front().at("vm_hwm_kib").get<long>();
    rows.push_back(
        {"peak resident memory, window open before any update (VmHWM)",
         std::to_string(openedPeak / 1024) + " MiB (" + std::to_string(openedPeak) + " KiB)", "",
         Verdict::Info});
    rows.push_back(
        {"peak resident memory over the first full update (VmHWM)",
         std::to_string(firstPeak / 1024) + " MiB (" + std::to_string(firstPeak) + " KiB)", "",
         Verdict::Info});
  }
  if (updates.size() >= 3) {
    // From the second update on: the first also reads the kernel part and warms the heap up.
    const nlohmann::json& second = updates[1];
    const nlohmann::json& last = updates.back();
    const long compared = static_cast<long>(updates.size()) - 2;
    const long limit = kChunkKiB * compared;
    for (const auto& [key, name] : {std::pair{"vm_rss_kib", "resident memory (VmRSS)"},
                                    std::pair{"vm_hwm_kib", "peak resident memory (VmHWM)"}}) {
      const long growth = last.at(key).get<long>() - second.at(key).get<long>();
      rows.push_back(
          {std::string(name) + ", after update 2 to after update " + std::to_string(updates.size()),
           (growth >= 0 ? "+" : "") + std::to_string(growth) + " KiB (" +
               std::to_string(last.at(key).get<long>()) + " KiB at the end)",
           "< " + std::to_string(limit) + " KiB (32 KiB per update)", PassIf(growth < limit)});
    }
  } else {
    rows.push_back(
        {"resident memory growth over updates", "needs 3 updates or more", "", Verdict::Info});
  }

  std::printf(
      "drvflash bench: real clock, simulated drive (restart 0 ms), Qt platform %s\n",
      qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")).toStdString().c_str());
  PrintTable(rows);
  std::printf(
      "Memory is measured inside the process that ran the updates (/proc/self/status), which\n"
      "builds the same window and simulated drive as drvflash-sim.\n");
  const bool allMet = std::none_of(
      rows.begin(), rows.end(), [](const TableRow& row) { return row.verdict == Verdict::Fail; });
  return allMet ? 0 : 1;
}

}  // namespace drvflash::bench
