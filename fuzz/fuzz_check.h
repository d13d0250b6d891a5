// A check for the properties the fuzz targets assert: on failure it names
// the condition and aborts, which libFuzzer and the replay both report.

#ifndef FUZZ_FUZZ_CHECK_H_
#define FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                             \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

#endif  // FUZZ_FUZZ_CHECK_H_
