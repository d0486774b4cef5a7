#include "common/random.h"

#include <unistd.h>

#include <atomic>
#include <chrono>

namespace {
std::atomic<uint32_t> g_State{1};

uint32_t Step(uint32_t state) { return state * 214013u + 2531011u; }
}  // namespace

void SeedRandomWith(uint32_t seed) { g_State.store(seed, std::memory_order_relaxed); }

uint32_t MixSeed(uint64_t clockNanos, uint32_t processId, uint32_t callCount) {
  // Each input is spread by an odd multiplier, then the sum is stirred by
  // xor-shifts and multiplications until the high bits have reached the
  // low ones; the 32 bits kept fold both halves together.
  uint64_t x = clockNanos + processId * 0xD6E8FEB86659FD93ull + callCount * 0x9E3779B97F4A7C15ull;
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return static_cast<uint32_t>(x ^ (x >> 32));
}

void SeedRandom() {
  static std::atomic<uint32_t> calls {0};
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto nanos = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  SeedRandomWith(MixSeed(nanos, static_cast<uint32_t>(::getpid()), calls.fetch_add(1, std::memory_order_relaxed)));
}

int Rand15() {
  uint32_t state = g_State.load(std::memory_order_relaxed);
  uint32_t next = Step(state);
  while (!g_State.compare_exchange_weak(state, next, std::memory_order_relaxed)) next = Step(state);
  return static_cast<int>((next >> 16) & 0x7FFFu);
}

uint32_t Random32() {
  uint32_t value = static_cast<uint32_t>(Rand15());
  value = (value << 15) ^ static_cast<uint32_t>(Rand15());
  value = (value << 15) ^ static_cast<uint32_t>(Rand15());
  return value;
}

uint64_t Random64() {
  uint64_t value = static_cast<uint64_t>(Rand15());
  for (int i = 0; i < 4; ++i) value = (value << 15) ^ static_cast<uint64_t>(Rand15());
  return value;
}
