#ifndef VEXLO_FUZZ_SUPPORT_FUZZCHECK_H
#define VEXLO_FUZZ_SUPPORT_FUZZCHECK_H

/// \file
/// The fuzz targets' one assertion. A failed check prints where and why and
/// aborts, which libFuzzer records as a crash with the input that caused it;
/// it is active in every build type.
///
///     VXFUZZ_CHECK(s.length() == model.length(), "length %zu, expected %zu",
///                  s.length(), model.length());

#include <cstdio>
#include <cstdlib>

#define VXFUZZ_CHECK(condition, ...)                                                    \
 do {                                                                                   \
  if (!(condition)) {                                                                   \
   std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #condition); \
   std::fprintf(stderr, __VA_ARGS__);                                                   \
   std::fputc('\n', stderr);                                                            \
   std::abort();                                                                        \
  }                                                                                     \
 } while (false)

#endif  // VEXLO_FUZZ_SUPPORT_FUZZCHECK_H
