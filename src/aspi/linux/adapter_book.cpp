#include "aspi/linux/adapter_book.h"

#include <algorithm>

namespace drvflash::linux_sg {

std::vector<AdapterBook::Adapter> AdapterBook::Refresh(const std::vector<ScsiHost>& hosts,
                                                       std::size_t limit) {
  std::lock_guard guard(mutex_);
  std::vector<bool> hostTaken(hosts.size(), false);
  // Absent unless a host is matched below.
  std::vector<Adapter> adapters;
  for (const ScsiHost& known : adapters_) {
    adapters.push_back({known, false});
  }
  const auto take = [&](std::size_t adapter, std::size_t host) {
    adapters_[adapter] = hosts[host];
    adapters[adapter] = {hosts[host], true};
    hostTaken[host] = true;
  };

  // The same host: the same number where it was attached before (where sysfs tells).
  for (std::size_t a = 0; a < adapters_.size(); ++a) {
    for (std::size_t h = 0; h < hosts.size(); ++h) {
      if (!hostTaken[h] && hosts[h].number == adapters_[a].number &&
          hosts[h].attachment == adapters_[a].attachment) {
        take(a, h);
        break;
      }
    }
  }
  // A host gone from an adapter and back where it was attached, under another number.
  for (std::size_t a = 0; a < adapters_.size(); ++a) {
    if (adapters[a].present || adapters_[a].attachment.empty()) {
      continue;
    }
    for (std::size_t h = 0; h < hosts.size(); ++h) {
      if (!hostTaken[h] && hosts[h].attachment == adapters_[a].attachment) {
        take(a, h);
        break;
      }
    }
  }
  // Hosts never seen before get the next adapter numbers.
  for (std::size_t h = 0; h < hosts.size() && adapters_.size() < limit; ++h) {
    if (!hostTaken[h]) {
      adapters_.push_back(hosts[h]);
      adapters.push_back({hosts[h], true});
    }
  }
  adapters.resize(std::min(adapters.size(), limit));
  return adapters;
}

}  // namespace drvflash::linux_sg
