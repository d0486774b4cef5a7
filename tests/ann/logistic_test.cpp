// The logistic of the network's units must be the float nearest 1 / (1 + e^-x)
// for every float x. Checked against a plain double-precision pass wherever
// that pass settles the rounding, and at inputs whose value lies so near the
// midpoint of two floats that even extended precision rounds them wrongly
// (their results pinned from a 300-bit computation).
#include "ann/logistic.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

uint32_t Bits(float x) { return std::bit_cast<uint32_t>(x); }

// The float nearest the plain double value, or nothing (false) when a float
// midpoint lies within 2^-45 of it and the double cannot tell the side.
bool PlainRounding(float x, float& result) {
  const double d = 1.0 / (1.0 + std::exp(-static_cast<double>(x)));
  const float f = static_cast<float>(d);
  const uint32_t bits = Bits(f);
  const double up = (static_cast<double>(f) + static_cast<double>(std::bit_cast<float>(bits + 1))) / 2;
  const double down = bits ? (static_cast<double>(f) + static_cast<double>(std::bit_cast<float>(bits - 1))) / 2 : -1.0;
  result = f;
  return d - down > d * 0x1p-45 && up - d > d * 0x1p-45;
}

struct Pin {
  uint32_t X;
  uint32_t Want;
};

// x/4 lands on a float midpoint next to 1/2, and the value lies beside it by
// about x^3/48. The last four are the only floats that x86's 80-bit extended
// precision rounds wrongly (every input whose value lies near a midpoint was
// checked against a 300-bit computation).
constexpr Pin kPins[] = {
    {0x35b00000, 0x3f000005},  // 1.31130219e-06
    {0x34c00000, 0x3f000001},  // 3.57627869e-07
    {0x35600000, 0x3f000003},  // 8.34465027e-07
    {0xb4400000, 0x3effffff},  // -1.78813934e-07
    {0xb4e00000, 0x3efffffd},  // -4.17232513e-07
};

}  // namespace

TEST(Logistic, InputsAtARoundingBoundaryRoundToTheNearestFloat) {
  for (const Pin& pin : kPins) {
    const float x = std::bit_cast<float>(pin.X);
    EXPECT_EQ(Bits(Logistic(x)), pin.Want) << std::hex << pin.X;
    EXPECT_EQ(Bits(LogisticExact(x)), pin.Want) << std::hex << pin.X;
    float out = 0;
    LogisticMany(&x, &out, 1);
    EXPECT_EQ(Bits(out), pin.Want) << std::hex << pin.X;
  }
}

TEST(Logistic, DenseComparisonWithAPlainDoublePass) {
  // About a million inputs spread over every float: all signs, exponents
  // and tails, NaNs aside.
  int compared = 0, unsettled = 0;
  std::vector<float> block;
  for (uint64_t b = 0; b < (uint64_t {1} << 32); b += 4093) {
    const float x = std::bit_cast<float>(static_cast<uint32_t>(b));
    if (std::isnan(x)) continue;
    float want = 0;
    const float got = Logistic(x);
    if (!PlainRounding(x, want)) {
      ++unsettled;
      ASSERT_EQ(Bits(got), Bits(LogisticExact(x))) << x;
      continue;
    }
    ++compared;
    ASSERT_EQ(Bits(got), Bits(want)) << std::hexfloat << x;
    block.push_back(x);
  }
  EXPECT_GT(compared, 1000000);
  EXPECT_LT(unsettled, 30);
  // The many-at-once form gives the same results.
  std::vector<float> out(block.size());
  LogisticMany(block.data(), out.data(), static_cast<int>(block.size()));
  for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(Bits(out[i]), Bits(Logistic(block[i]))) << block[i];
}

TEST(Logistic, SlowEveryFloatNearZeroWhereTheValueHugsOneHalf) {
  // Every float in [2^-25, 2^-19] of both signs: where x/4 lands on or near
  // a float midpoint around 1/2, extended precision falls short.
  int checked = 0;
  for (float x = 0x1p-25f; x < 0x1p-19f; x = std::nextafter(x, 1.0f))
    for (const float signedX : {x, -x}) {
      float want = 0;
      if (!PlainRounding(signedX, want)) continue;
      ++checked;
      ASSERT_EQ(Bits(Logistic(signedX)), Bits(want)) << std::hexfloat << signedX;
    }
  EXPECT_GT(checked, 10000000);
}

TEST(Logistic, EdgesOfTheDomain) {
  EXPECT_EQ(Logistic(0.0f), 0.5f);
  EXPECT_EQ(Logistic(-0.0f), 0.5f);
  EXPECT_EQ(Logistic(std::numeric_limits<float>::infinity()), 1.0f);
  EXPECT_EQ(Logistic(-std::numeric_limits<float>::infinity()), 0.0f);
  EXPECT_EQ(Logistic(1000.0f), 1.0f);
  EXPECT_EQ(Logistic(-1000.0f), 0.0f);
  EXPECT_TRUE(std::isnan(Logistic(std::numeric_limits<float>::quiet_NaN())));
  // Below the smallest normal float: e^x rounded among the subnormals.
  float want = 0;
  ASSERT_TRUE(PlainRounding(-100.0f, want));
  EXPECT_GT(want, 0.0f);
  EXPECT_EQ(Bits(Logistic(-100.0f)), Bits(want));
}
