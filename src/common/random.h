#pragma once
#include <cstdint>

// One process-wide 15-bit generator (state = state * 214013 + 2531011,
// result = (state >> 16) & 0x7FFF). Book picks and network weights depend on
// its exact sequence, so the C library's rand() is never used.

// Seeds the generator from the wall clock in nanoseconds, the process id
// and a count of the calls, so that no two seedings share a seed however
// close together they come, within one process or across processes.
void SeedRandom();
// The seed SeedRandom takes for those three readings: every bit of each
// input reaches every bit of the seed.
uint32_t MixSeed(uint64_t clockNanos, uint32_t processId, uint32_t callCount);
// Seeds with a given value (tests, reproducible runs).
void SeedRandomWith(uint32_t seed);
// The next 15-bit value, 0..32767. Safe to call from any thread.
int Rand15();
// ((r1 << 15) ^ r2) << 15 ^ r3 over three 15-bit draws.
uint32_t Random32();
// r1, then four times: shift left by 15 and XOR the next draw.
uint64_t Random64();
