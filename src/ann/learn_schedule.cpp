#include "ann/learn_schedule.h"

#include <cmath>
#include <utility>

namespace {

// SplitMix64: a small generator whose every output bit depends on every
// state bit; enough for an order that only has to look random.
uint64_t NextMix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// A value in 0..bound-1 without the bias of a plain modulo.
uint64_t Below(uint64_t& state, uint64_t bound) {
  const uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
  for (;;) {
    const uint64_t value = NextMix(state);
    if (value < limit) return value % bound;
  }
}

}  // namespace

float PassAlpha(float start, float end, int32_t pass, int32_t passes) {
  if (passes <= 1 || !(start > 0) || !(end > 0) || pass <= 1) return start;
  if (pass >= passes) return end;
  const double fraction = static_cast<double>(pass - 1) / static_cast<double>(passes - 1);
  return static_cast<float>(static_cast<double>(start) *
                            std::pow(static_cast<double>(end) / start, fraction));
}

void ShufflePatterns(std::vector<CPatternView>& patterns, uint32_t seed, int32_t pass) {
  uint64_t state = (static_cast<uint64_t>(seed) << 32) ^ static_cast<uint32_t>(pass);
  for (size_t i = patterns.size(); i > 1; --i) {
    const size_t j = static_cast<size_t>(Below(state, i));
    std::swap(patterns[i - 1], patterns[j]);
  }
}
