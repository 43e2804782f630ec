#pragma once

#include <nlohmann/json.hpp>

#include "bench_support.h"

class QApplication;

// The measuring halves of the benchmark. Each runs in a process of its own, started by the
// driver, with the same window and simulated drive as drvflash-sim (the scenario comes from
// DRVFLASH_SIM_SCENARIO, the firmware files from the current folder), and prints one JSON
// object per line on standard output. QApplication exists already.

namespace drvflash::bench {

// Prints one JSON object as a line of standard output, flushed at once.
void PrintJsonLine(const nlohmann::json& line);

// Opens the window and reports, as soon as it is shown with its drive list and firmware file
// filled, how long that took since `processStart`; then times the window's drive scan alone.
int RunStartupProbe(QApplication& application, SteadyTime processStart);

// Runs `updates` full updates in a row on the drive at adapter 0, target 1 (1.28 at first, so
// the first needs its kernel part), each to a newer version written into the current folder,
// and reports wall time, pauses, the main thread's longest tick gap and resident memory.
int RunUpdateSeries(QApplication& application, int updates);

}  // namespace drvflash::bench
