#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "aspi/linux/scsi_sysfs.h"

namespace drvflash::linux_sg {

// Gives each SCSI host an adapter number that holds for the life of the layer. The kernel hands
// out the lowest free host number, so numbering the hosts afresh in ascending order would let
// an adapter number pass to another device whenever a host comes or goes, and a command meant
// for the drive reach a disk. Instead the adapters are the hosts in the order first seen (in
// ascending host number within one listing); a host that goes away leaves its adapter empty,
// and a host that comes back where it was attached (the same port, as a USB drive that
// restarts does) fills its adapter again, whatever host number it now has.
class AdapterBook {
 public:
  struct Adapter {
    ScsiHost host;         // the host that stands for the adapter, or stood for it last
    bool present = false;  // whether that host is there now
  };

  // Matches the hosts as listed now with the adapters and returns every adapter, at most
  // `limit` of them.
  std::vector<Adapter> Refresh(const std::vector<ScsiHost>& hosts, std::size_t limit);

 private:
  std::mutex mutex_;
  std::vector<ScsiHost> adapters_;
};

}  // namespace drvflash::linux_sg
