#pragma once

#include "update/worker_request.h"

// How one pass of the update ended: finished (successfully or not), or the drive is left in
// kernel mode and the user asked to run the whole update again.
enum class PassEnd { Finished, Rerun };

// One pass of the update of the selected drive with request.n_filename, on the worker: no disc,
// the firmware check, the mode switch, the kernel part when the drive needs it, the normal part,
// the closing command and the new version read back. Every failure has been shown to the user
// when it returns.
PassEnd RunUpdatePass(WorkerRequest& request);
