#pragma once

#include <atomic>

// 1 while a worker request runs. Workers claim it with an atomic exchange, so two can never
// both pass the test; the window reads it to refuse Start and Close meanwhile.
extern std::atomic<int> g_busy;
