#pragma once

#include <string>

// What the guest program does as the first process of the test machine, before and after its
// checks: the work an init system and udev would do.
namespace drvflash::qemu_guest {

// /proc, /sys and /dev (devtmpfs), and the console as standard input, output and error.
bool MountFilesystems();

// Loads each module of `listFile` in its order; a line is "path [parameters]".
bool LoadModules(const std::string& listFile);

// With scsi_mod's scan=manual no target is scanned by itself: scans "H:T,H:T..." (host and
// target, channel 0, LUN 0).
bool ScanTargets(const std::string& targets);

void PowerOff();

}  // namespace drvflash::qemu_guest
