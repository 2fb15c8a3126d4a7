// Invariant checks of the fuzz targets: a broken invariant aborts, so
// libFuzzer records the input as a crash beside the sanitizers' findings.
#ifndef RAVLEN_FUZZ_FUZZ_CHECK_H_
#define RAVLEN_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

namespace ravlen {

inline void fuzzCheck(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

}  // namespace ravlen

#endif  // RAVLEN_FUZZ_FUZZ_CHECK_H_
