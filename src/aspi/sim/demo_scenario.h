#pragma once

#include <string_view>

namespace drvflash::sim {

// The setup that the simulator runs without a scenario file: one adapter with an OEM-edition
// QTX-517 at revision 1.28 (so its first update writes the kernel part too) on target 1 and
// another device on target 4. Its state file lies in the current folder, so the demo remembers
// an update; the drive does not insist on a kernel part, so a later update writes the normal
// part alone, as on a drive that runs a normal firmware.
inline constexpr std::string_view DEMO_SCENARIO = R"({
  "usable": true,
  "adapters": [
    { "identifier": "SIM HOST ADAPTER",
      "targets": {
        "1": { "kind": "qtx517",
               "inquiry": { "vendor": "ROZUVAZ ", "product": "QTX-517", "revision": "1.28" },
               "id_block": { "serial": "SIM0000000000001", "hardware": "HW-REV01",
                             "vendor": "ZEPHRA  ", "variant": "STD     " },
               "kernel_marker": false, "kernel_required": false,
               "disc": "none", "restart_ms": 3500, "state_file": "drive-state.json" },
        "4": { "kind": "other",
               "inquiry": { "vendor": "ACME", "product": "DISK", "revision": "0001" } } } }
  ]
})";

}  // namespace drvflash::sim
