#include "drive/busy_flag.h"

std::atomic<int> g_busy{0};
