#pragma once

#include <nlohmann/json.hpp>

namespace drvflash::bench {

// One adapter as in the demo: a QTX-517 at 1.28 of the OEM edition on target 1, another device
// on target 4. The update from 1.28 sends the kernel part, as the tool decides from that
// revision; the drive does not insist on a kernel part for later versions (a drive that does
// turns every later update into a rerun after the kernel-mode question). Its restart takes no
// time, so that an update's wall time is its own work and its fixed pauses; no state file.
nlohmann::json OneAdapterScenario();

// 8 adapters of 8 targets, every one a QTX-517 whose scan INQUIRY answers 25 ms late, past the
// scan's 20 ms wait, except the drive on adapter 0, target 1, so that the list is not empty.
nlohmann::json LateEightByEightScenario();

}  // namespace drvflash::bench
