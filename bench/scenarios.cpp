#include "scenarios.h"

#include <string>

namespace drvflash::bench {

namespace {

nlohmann::json DemoDrive() {
  return {{"kind", "qtx517"},
          {"inquiry", {{"vendor", "ROZUVAZ "}, {"product", "QTX-517"}, {"revision", "1.28"}}},
          {"id_block",
           {{"serial", "SIM0000000000001"},
            {"hardware", "HW-REV01"},
            {"vendor", "ZEPHRA  "},
            {"variant", "STD     "}}},
          {"kernel_required", false},
          {"disc", "none"},
          {"restart_ms", 0}};
}

}  // namespace

nlohmann::json OneAdapterScenario() {
  return {
      {"adapters",
       {{{"identifier", "SIM HOST ADAPTER"},
         {"targets",
          {{"1", DemoDrive()},
           {"4",
            {{"kind", "other"},
             {"inquiry", {{"vendor", "ACME"}, {"product", "DISK"}, {"revision", "0001"}}}}}}}}}}};
}

nlohmann::json LateEightByEightScenario() {
  nlohmann::json adapters = nlohmann::json::array();
  nlohmann::json faults = nlohmann::json::array();
  for (int ha = 0; ha < 8; ++ha) {
    nlohmann::json targets = nlohmann::json::object();
    for (int target = 0; target < 8; ++target) {
      targets[std::to_string(target)] = DemoDrive();
      if (ha != 0 || target != 1) {
        faults.push_back({{"ha", ha},
                          {"target", target},
                          {"command", "inquiry"},
                          {"result", {{"delay_ms", 25}}}});
      }
    }
    adapters.push_back({{"identifier", "SIM ADAPTER " + std::to_string(ha)}, {"targets", targets}});
  }
  return {{"adapters", adapters}, {"faults", faults}};
}

}  // namespace drvflash::bench
