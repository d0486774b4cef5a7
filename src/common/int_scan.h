#pragma once
#include <cstdint>

// Reads one "%d" the way the C library's scanf does: blanks, an optional
// sign, digits; the value must fit a signed 32-bit integer. Never reads at or
// past end. On success p is left after the digits.
inline bool ReadInt32(const char*& p, const char* end, int32_t& value) {
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v'))
    ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (p >= end || *p < '0' || *p > '9') return false;
  int64_t magnitude = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    magnitude = magnitude * 10 + (*p++ - '0');
    if (magnitude > 2147483648LL) return false;
  }
  const int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > 2147483647LL) return false;
  value = static_cast<int32_t>(signedValue);
  return true;
}
