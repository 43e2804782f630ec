#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep. Aborts, so that libFuzzer saves the input that broke it.
#define FUZZ_REQUIRE(condition)                                                             \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)
