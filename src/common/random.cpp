#include "common/random.h"

#include <atomic>
#include <chrono>

namespace {
std::atomic<uint32_t> g_State{1};

uint32_t Step(uint32_t state) { return state * 214013u + 2531011u; }
}  // namespace

void SeedRandomWith(uint32_t seed) { g_State.store(seed, std::memory_order_relaxed); }

void SeedRandom() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  const auto seconds = duration_cast<std::chrono::seconds>(now).count();
  const auto millis = static_cast<uint32_t>(duration_cast<milliseconds>(now).count() % 1000);
  const uint32_t low16 = static_cast<uint32_t>(seconds) & 0xFFFFu;
  SeedRandomWith((low16 + millis) ^ millis);
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
