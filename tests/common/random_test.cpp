// The process-wide 15-bit generator, pinned value by value: book picks, key
// files and fresh networks all depend on its exact sequence. The expected
// numbers are worked out by hand from state = state * 214013 + 2531011 and
// result = (state >> 16) & 0x7FFF, so a wrong multiplier, increment, shift
// or mask fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <cstdint>

#include "common/random.h"

namespace {

TEST(RandomTest, SequenceFromSeedOne) {
  // 1 * 214013 + 2531011 = 2745024, and 2745024 >> 16 = 41.
  SeedRandomWith(1);
  const int expected[10] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(Rand15(), value);
}

TEST(RandomTest, StateWrapsAtThirtyTwoBits) {
  // 0xFFFFFFFF * 214013 + 2531011 = 2531011 - 214013 = 2316998 (mod 2^32); 2316998 >> 16 = 35.
  SeedRandomWith(0xFFFFFFFFu);
  const int expected[5] = {35, 29739, 3374, 11141, 31308};
  for (int value : expected) EXPECT_EQ(Rand15(), value);
  SeedRandomWith(12345);
  const int other[5] = {7584, 19164, 25795, 22125, 5828};
  for (int value : other) EXPECT_EQ(Rand15(), value);
}

TEST(RandomTest, EveryValueHasFifteenBits) {
  SeedRandomWith(7);
  int highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const int value = Rand15();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 0x7FFF);
    highest = std::max(highest, value);
  }
  EXPECT_EQ(highest, 0x7FFF);
}

TEST(RandomTest, WideValuesComposeThreeAndFiveDraws) {
  // Draws 41, 18467, 6334: ((41 << 15) ^ 18467) = 0x14C823; << 15 keeps 0x64118000
  // of 32 bits; ^ 6334 (0x18BE) = 0x641198BE.
  SeedRandomWith(1);
  EXPECT_EQ(Random32(), 0x641198BEu);
  EXPECT_EQ(Rand15(), 26500);  // exactly three draws were taken

  // Five draws 41, 18467, 6334, 26500, 19169, each step shifting by 15 in 64 bits.
  SeedRandomWith(1);
  EXPECT_EQ(Random64(), 0x9904662FB3C24AE1ull);
  EXPECT_EQ(Rand15(), 15724);
}

// A whole second whose low 16 bits are 0, one seeding a millisecond, and the
// same instant in other processes and at other calls: no two seeds alike.
TEST(RandomTest, EverySeedingGetsItsOwnSeed) {
  const uint64_t second = uint64_t {0x5A0000} * 1000000000u;  // seconds % 65536 == 0
  std::set<uint32_t> seeds;
  for (uint64_t ms = 0; ms < 1000; ++ms) seeds.insert(MixSeed(second + ms * 1000000u, 4242, 0));
  for (uint32_t pid = 1; pid <= 1000; ++pid) seeds.insert(MixSeed(second, pid, 7));
  for (uint32_t call = 1; call <= 1000; ++call) seeds.insert(MixSeed(second, 4242, call));
  EXPECT_EQ(seeds.size(), 3000u);

  // Two seedings at once in one process differ by their call count.
  SeedRandom();
  const uint64_t first = Random64();
  SeedRandom();
  EXPECT_NE(Random64(), first);
}

}  // namespace
