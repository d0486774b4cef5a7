// A fast double-precision logistic with a margin test, and an exact fallback.
//
// The fast path computes 1 / (1 + e^-x) in double with its own exponential
// (relative error below 2^-48). Unless the midpoint between two neighbouring
// floats lies within about 2^-39 of that value, the exact value rounds to the
// same float; near a midpoint (about one call in 30000) the exact path decides.
#include "ann/logistic.h"

#include <bit>
#include <cmath>
#include <algorithm>

namespace {

using V2d = double __attribute__((vector_size(16)));
using V2l = int64_t __attribute__((vector_size(16)));

// 2^(j/32) for j = 0..31, each the double nearest it.
constexpr double kPow2Fraction[32] = {
    0x1.0000000000000p+0, 0x1.059b0d3158574p+0, 0x1.0b5586cf9890fp+0, 0x1.11301d0125b51p+0,
    0x1.172b83c7d517bp+0, 0x1.1d4873168b9aap+0, 0x1.2387a6e756238p+0, 0x1.29e9df51fdee1p+0,
    0x1.306fe0a31b715p+0, 0x1.371a7373aa9cbp+0, 0x1.3dea64c123422p+0, 0x1.44e086061892dp+0,
    0x1.4bfdad5362a27p+0, 0x1.5342b569d4f82p+0, 0x1.5ab07dd485429p+0, 0x1.6247eb03a5585p+0,
    0x1.6a09e667f3bcdp+0, 0x1.71f75e8ec5f74p+0, 0x1.7a11473eb0187p+0, 0x1.82589994cce13p+0,
    0x1.8ace5422aa0dbp+0, 0x1.93737b0cdc5e5p+0, 0x1.9c49182a3f090p+0, 0x1.a5503b23e255dp+0,
    0x1.ae89f995ad3adp+0, 0x1.b7f76f2fb5e47p+0, 0x1.c199bdd85529cp+0, 0x1.cb720dcef9069p+0,
    0x1.d5818dcfba487p+0, 0x1.dfc97337b9b5fp+0, 0x1.ea4afa2a490dap+0, 0x1.f50765b6e4540p+0};

// e^t for |t| <= 120, two at a time: t = (32m + j) ln2 / 32 + r with
// |r| <= ln2 / 64, e^t = 2^m 2^(j/32) e^r, e^r by its Taylor series to r^6
// (truncation below 2^-57).
inline V2d Exp2Lanes(V2d t) {
  constexpr double kScale = 46.166241308446828;  // 32 / ln2
  constexpr double kStepHi = 0x1.62e42fefa0000p-6;  // ln2 / 32 in two parts; k * kStepHi is exact
  constexpr double kStepLo = 0x1.cf79abc9e3b3ap-45;
  constexpr double kRound = 0x1.8p52;  // adding it rounds to an integer in the low bits
  const V2d shifted = t * kScale + kRound;
  const V2d k = shifted - kRound;
  const V2d r = (t - k * kStepHi) - k * kStepLo;
  V2d p = r * (1.0 / 720) + 1.0 / 120;
  p = p * r + 1.0 / 24;
  p = p * r + 1.0 / 6;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;
  const V2l kBits = (V2l)shifted;  // a vector cast keeps the bits
  const V2l j = kBits & 31;
  const V2l scaleBits = ((kBits >> 5) << 52) + (int64_t {1023} << 52);
  const V2d table = {kPow2Fraction[j[0]], kPow2Fraction[j[1]]};
  return p * table * (V2d)scaleBits;
}

// 1 / (1 + e^-x) in double for two inputs; exponents beyond +-120 saturate
// (the float result is 0 or 1 there either way).
inline double Exponent(float x) {
  const double t = -static_cast<double>(x);
  return std::min(120.0, std::max(-120.0, t));  // a NaN becomes a number: Round catches it
}

inline V2d Logistic2Lanes(float x0, float x1) {
  const V2d one = {1.0, 1.0};
  return one / (one + Exp2Lanes(V2d {Exponent(x0), Exponent(x1)}));
}

// The float of d when no rounding boundary lies near it, else the exact path.
// A float's rounding boundaries are the doubles whose 29 mantissa bits below
// the float's 24 read 1 followed by zeros; d, within 2^5 double units of the
// exact value, rounds like it unless those bits lie within 2^13 units of the
// boundary pattern. Results below the smallest normal float (x < -87) and NaN
// take the exact path.
inline float Round(float x, double d) {
  constexpr uint64_t kBoundary = uint64_t {1} << 28;
  constexpr uint64_t kMargin = uint64_t {1} << 13;
  const uint64_t low = std::bit_cast<uint64_t>(d) & ((kBoundary << 1) - 1);
  if (x == x && d >= 0x1p-126 && low - (kBoundary - kMargin) > 2 * kMargin) return static_cast<float>(d);
  return LogisticExact(x);
}

// Sign of a - m - c, where a and m are exact and c is known to 64 bits.
float ChooseAround(long double a, long double c, long double m, float below, float above) {
  const long double gap = a - m;  // exact: a and m are close
  const long double diff = gap - c;
  if (diff > 0) return above;
  if (diff < 0) return below;
  return (std::bit_cast<uint32_t>(below) & 1) ? above : below;  // a tie: to even
}

}  // namespace

float Logistic(float x) {
  const V2d d = Logistic2Lanes(x, 0.0f);
  return Round(x, d[0]);
}

// The double values of a block first, with no dependence between pairs, so
// the processor overlaps them; then the rounding.
void LogisticMany(const float* in, float* out, int count) {
  constexpr int kBlock = 32;
  for (int base = 0; base < count; base += kBlock) {
    const int n = count - base < kBlock ? count - base : kBlock;
    V2d d[kBlock / 2];
    for (int i = 0; i < n; i += 2)
      d[i / 2] = Logistic2Lanes(in[base + i], i + 1 < n ? in[base + i + 1] : 0.0f);
    for (int i = 0; i < n; ++i) out[base + i] = Round(in[base + i], d[i / 2][i % 2]);
  }
}

// Near a rounding boundary. For small |x| the value is 1/2 + x/4 - c with
// c = x^3/48 - x^5/480 + 17x^7/80640 - ..., and 1/2 + x/4 is exact in long
// double; so the side of the boundary is found from c alone, however close
// to the boundary the value lies (x/4 itself may sit exactly on one).
// Elsewhere long double precision settles every float input (checked over all
// of them against a 200-bit reference).
float LogisticExact(float x) {
  if (std::isnan(x)) return x;
  const long double lx = x;
  if (std::fabs(lx) < 0x1p-7L) {
    const long double a = 0.5L + lx * 0.25L;
    const long double x2 = lx * lx;
    const long double c =
        lx * x2 * (1.0L / 48 - x2 * (1.0L / 480 - x2 * (17.0L / 80640 - x2 * (31.0L / 1451520))));
    // The two floats around a - c and the midpoint between them.
    const float guess = static_cast<float>(a - c);
    const float other = static_cast<long double>(guess) > a - c
                            ? std::nextafter(guess, -1.0f)
                            : std::nextafter(guess, 2.0f);
    const float below = guess < other ? guess : other;
    const float above = guess < other ? other : guess;
    const long double m = (static_cast<long double>(below) + static_cast<long double>(above)) / 2;
    return ChooseAround(a, c, m, below, above);
  }
  return static_cast<float>(1.0L / (1.0L + expl(-lx)));
}
