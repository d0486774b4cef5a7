#pragma once
#include <cstdint>

// Milliseconds of a steady clock, as a wrapping 32-bit value; differences of
// two readings are elapsed time.
uint32_t GetTick();
