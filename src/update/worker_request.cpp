#include "update/worker_request.h"

WorkerRequest toThread;
