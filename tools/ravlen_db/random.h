// DemoRandom: the demo data's random numbers, the same on every platform and
// compiler for the same seed (SplitMix64; the standard library's
// distributions are not specified bit for bit, so none is used).
#ifndef RAVLEN_TOOLS_RAVLEN_DB_RANDOM_H_
#define RAVLEN_TOOLS_RAVLEN_DB_RANDOM_H_

#include <cstdint>

namespace ravlen {

class DemoRandom {
 public:
  explicit DemoRandom(uint64_t seed) : state_(seed) {}
  // A generator of its own for stream `stream` of `seed`, so that each
  // person's data depends on the seed and the person alone.
  DemoRandom(uint64_t seed, uint64_t stream)
      : state_(seed ^ (stream * 0xD1B54A32D192ED03ULL)) {
    next();
  }

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1 (0 when n is 0 or less).
  int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }
  // lo .. hi inclusive.
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }
  // True with the chance percent/100.
  bool percent(int chance) { return below(100) < chance; }

 private:
  uint64_t state_;
};

}  // namespace ravlen

#endif  // RAVLEN_TOOLS_RAVLEN_DB_RANDOM_H_
