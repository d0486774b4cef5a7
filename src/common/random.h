#pragma once
#include <cstdint>

// One process-wide 15-bit generator (state = state * 214013 + 2531011,
// result = (state >> 16) & 0x7FFF). Book picks and network weights depend on
// its exact sequence, so the C library's rand() is never used.

// Seeds the generator from one reading of the wall clock:
// ((low 16 bits of the seconds) + milliseconds) XOR milliseconds.
void SeedRandom();
// Seeds with a given value (tests, reproducible runs).
void SeedRandomWith(uint32_t seed);
// The next 15-bit value, 0..32767. Safe to call from any thread.
int Rand15();
// ((r1 << 15) ^ r2) << 15 ^ r3 over three 15-bit draws.
uint32_t Random32();
// r1, then four times: shift left by 15 and XOR the next draw.
uint64_t Random64();
