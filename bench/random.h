#ifndef PREISLISTE_BENCH_RANDOM_H_
#define PREISLISTE_BENCH_RANDOM_H_

#include <cstdint>

namespace bench {

// SplitMix64: tiny, fast and the same on every platform and standard library,
// unlike the std:: distributions, so a seed always yields the same deck.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, bound); bound > 0. The modulo bias is irrelevant here.
  uint64_t Below(uint64_t bound) { return Next() % bound; }
  // Uniform in [low, high].
  int64_t Between(int64_t low, int64_t high) {
    return low + static_cast<int64_t>(Below(static_cast<uint64_t>(high - low + 1)));
  }
  // True with probability percent / 100.
  bool Percent(int percent) { return Below(100) < static_cast<uint64_t>(percent); }

 private:
  uint64_t state_;
};

}  // namespace bench

#endif  // PREISLISTE_BENCH_RANDOM_H_
