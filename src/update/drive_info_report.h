#pragma once

#include <string_view>

#include "update/worker_request.h"

// Whether a drive list entry names a drive the scan found, rather than the not-found entry.
bool IsDriveEntry(std::string_view entry);

// The hidden report, on the worker: a box with the selected drive's vendor id and serial number.
void RunDriveInfoReport(WorkerRequest& request);
