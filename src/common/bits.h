#pragma once
#include <cstdint>

// How many times n can be halved while it is above 1 (0 for n <= 1).
inline int FloorLog2(int64_t n) {
  int k = 0;
  while (n > 1) {
    n >>= 1;
    ++k;
  }
  return k;
}
