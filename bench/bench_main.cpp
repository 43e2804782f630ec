// drvflash_bench: the wall time of full updates against their fixed pauses, the main thread's
// responsiveness during them, start-up to a filled window and resident memory, on the simulated
// drive and the real clock, printed as a table.
//   drvflash_bench [--updates N] [--startups N]
// Each measurement runs in a process of its own: this program again, with an internal first
// argument.
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "child_modes.h"
#include "driver.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: drvflash_bench [--updates N] [--startups N]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace drvflash::bench;
  const SteadyTime processStart = std::chrono::steady_clock::now();
  const std::string_view mode = argc >= 2 ? argv[1] : "";
  if (mode == "--startup-probe") {
    QApplication application(argc, argv);
    return RunStartupProbe(application, processStart);
  }
  if (mode == "--update-series" && argc == 3) {
    QApplication application(argc, argv);
    return RunUpdateSeries(application, std::atoi(argv[2]));
  }

  DriverOptions options;
  for (int at = 1; at < argc; at += 2) {
    const std::string_view option = argv[at];
    const int value = at + 1 < argc ? std::atoi(argv[at + 1]) : 0;
    if (value < 1) {
      return Usage();
    }
    if (option == "--updates") {
      options.updates = value;
    } else if (option == "--startups") {
      options.startups = value;
    } else {
      return Usage();
    }
  }
  QCoreApplication application(argc, argv);
  return RunDriver(options);
}
