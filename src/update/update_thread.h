#pragma once

#include "update/worker_request.h"

// The worker frame around every request: admits one request at a time (g_busy), clears the
// log and locks the window's request controls while it runs, then unlocks them and clears
// g_busy. A worker that finds another running returns at once, touching nothing. `request` is
// the worker's own copy. Returns 1 on every path.
int UpdateThreadProc(WorkerRequest* request);

// Runs UpdateThreadProc on a new thread with its own copy of `request`; returns at once, and
// nobody ever waits for the thread.
void StartWorker(const WorkerRequest& request);

// Workers started and not yet ended, for whoever must know that none is left (tests, closing).
int RunningWorkers();
