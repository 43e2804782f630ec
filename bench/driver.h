#pragma once

namespace drvflash::bench {

struct DriverOptions {
  int updates = 10;  // full updates in a row in one process
  int startups = 5;  // start-ups of each setup, of which the median counts
};

// Runs every measurement in processes of its own and prints the table; 0 when every target
// was met.
int RunDriver(const DriverOptions& options);

}  // namespace drvflash::bench
