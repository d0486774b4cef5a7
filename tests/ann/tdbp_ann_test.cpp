#include "ann/tdbp_ann.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "ann/tdbp_ann_list.h"
#include "common/random.h"

namespace {

float ReferenceLogistic(float x) {
  return static_cast<float>(1.0L / (1.0L + expl(-static_cast<long double>(x))));
}

// The forward pass written out plainly: every input, zero or not.
void ReferenceForward(const CTdbpAnn& ann, const float* input, std::vector<float>& sum11,
                      std::vector<float>& sum12, float& sumOut, float& out) {
  sum11.assign(static_cast<size_t>(ann.Count11), 0.0f);
  sum12.assign(static_cast<size_t>(ann.Count12), 0.0f);
  std::vector<float> out11(static_cast<size_t>(ann.Count11));
  for (int i = 0; i < ann.Count11; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < ann.Count0; ++j) {
      const float product = input[j] * ann.Weight11s[i][j];
      sum = sum + product;
    }
    sum11[i] = sum;
    out11[i] = ReferenceLogistic(sum);
  }
  sumOut = 0.0f;
  for (int i = 0; i < ann.Count12; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < ann.Count11; ++j) {
      const float product = ann.Weight12s[i][j] * out11[j];
      sum = sum + product;
    }
    sum12[i] = sum;
    const float product = ReferenceLogistic(sum) * ann.Weight2s[i];
    sumOut = sumOut + product;
  }
  out = ReferenceLogistic(sumOut);
}

CTdbpAnn DefaultNetwork(int count0 = 91, int count11 = 31, int count12 = 11) {
  return CTdbpAnn(count0, count11, count12, ANN_DEFAULT_LOWER, ANN_DEFAULT_UPPER,
                  ANN_DEFAULT_MAX_LEARN_COUNT, ANN_DEFAULT_AUTO_SAVE_COUNT,
                  ANN_DEFAULT_THREAD_COUNT, ANN_DEFAULT_ALPHA, ANN_DEFAULT_LAMBDA);
}

}  // namespace

TEST(Logistic, MatchesExtendedPrecisionBitForBit) {
  EXPECT_EQ(Logistic(0.0f), 0.5f);
  std::mt19937 engine(12345);
  std::uniform_real_distribution<float> wide(-120.0f, 120.0f);
  std::uniform_real_distribution<float> narrow(-20.0f, 20.0f);
  for (int n = 0; n < 400000; ++n) {
    const float x = n % 2 ? wide(engine) : narrow(engine);
    ASSERT_EQ(std::bit_cast<uint32_t>(Logistic(x)), std::bit_cast<uint32_t>(ReferenceLogistic(x)))
        << x;
  }
  // A run of neighbouring floats where the result sits near a rounding boundary.
  float x = 17.3f;
  for (int n = 0; n < 200000; ++n, x = std::nextafter(x, 100.0f))
    ASSERT_EQ(std::bit_cast<uint32_t>(Logistic(x)), std::bit_cast<uint32_t>(ReferenceLogistic(x)))
        << x;
  EXPECT_EQ(Logistic(1000.0f), 1.0f);
  EXPECT_EQ(Logistic(-1000.0f), 0.0f);
}

TEST(TdbpAnn, CreateWithANonPositiveCountLeavesAnEmptyNetwork) {
  CTdbpAnn ann = DefaultNetwork();
  EXPECT_EQ(ann.Create(91, 0, 11, -0.1f, 0.1f, 5, 1, 1, 0.01f, 0.9f), 1);
  EXPECT_TRUE(ann.IsEmpty());
  EXPECT_EQ(ann.Count0, 0);
  EXPECT_EQ(ann.Count11, 0);
  EXPECT_EQ(ann.Count12, 0);
  EXPECT_EQ(ann.MaxLearnCount, 0);
  EXPECT_TRUE(ann.Weight11s.empty());

  // Its forward pass leaves the output at σ(0).
  float input[91] = {1.0f};
  ann.Out = 0.25f;
  EXPECT_EQ(ann.Evaluate(input), 1);
  EXPECT_EQ(ann.Out, 0.5f);
}

TEST(TdbpAnn, CreateRefusesAbsurdSizes) {
  CTdbpAnn ann;
  EXPECT_EQ(ann.Create(1 << 20, 1 << 20, 1, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(ann.IsEmpty());
}

TEST(TdbpAnn, RandomizeDrawsEveryWeightInOrderWithinTheBounds) {
  SeedRandomWith(77);
  CTdbpAnn ann = DefaultNetwork();
  EXPECT_EQ(ann.Count0, 91);
  EXPECT_EQ(ann.ThreadCount, 1);
  EXPECT_FLOAT_EQ(ann.Lambda, 0.9f);

  // The same draws, made by hand: rows of Weight11s, rows of Weight12s, Weight2s.
  SeedRandomWith(77);
  const float step = (0.1f - -0.1f) * 3.0518509e-05f;
  auto expected = [&] { return static_cast<float>(Rand15()) * step + -0.1f; };
  for (const auto& row : ann.Weight11s)
    for (float w : row) ASSERT_EQ(w, expected());
  for (const auto& row : ann.Weight12s)
    for (float w : row) ASSERT_EQ(w, expected());
  for (float w : ann.Weight2s) ASSERT_EQ(w, expected());

  // Every possible draw stays inside [-0.1, 0.1].
  for (int r = 0; r <= 32767; ++r) {
    const float w = static_cast<float>(r) * step + -0.1f;
    ASSERT_GE(w, -0.1f);
    ASSERT_LE(w, 0.1f);
  }

  EXPECT_EQ(ann.Randomize(0.25f, 0.25f), 1);
  for (const auto& row : ann.Weight11s)
    for (float w : row) ASSERT_EQ(w, 0.25f);
  for (float w : ann.Weight2s) ASSERT_EQ(w, 0.25f);
  EXPECT_EQ(ann.Lower, 0.25f);
  EXPECT_EQ(ann.Upper, 0.25f);
}

TEST(TdbpAnn, ForwardEqualsThePlainPassBitForBit) {
  SeedRandomWith(3);
  CTdbpAnn ann = DefaultNetwork();
  ann.Randomize(-2.0f, 2.0f);  // wide weights: sums far from zero, outputs near 0 and 1 too
  std::mt19937 engine(99);
  const float values[] = {0.1f, -0.1f, 0.0475f, -0.045f, 0.0208f, -0.02f, 0.01f, 1.0f, -1.0f};
  std::vector<float> sum11, sum12;
  for (int n = 0; n < 2000; ++n) {
    float input[91];
    for (float& v : input) v = engine() % 3 == 0 ? values[engine() % 9] : 0.0f;
    if (n % 7 == 0) input[0] = -0.0f;
    float sumOut = 0, out = 0;
    ReferenceForward(ann, input, sum11, sum12, sumOut, out);
    ASSERT_EQ(ann.Evaluate(input), 1);
    for (int i = 0; i < ann.Count11; ++i)
      ASSERT_EQ(std::bit_cast<uint32_t>(ann.Sum11[i]), std::bit_cast<uint32_t>(sum11[i]));
    for (int i = 0; i < ann.Count12; ++i)
      ASSERT_EQ(std::bit_cast<uint32_t>(ann.Sum12[i]), std::bit_cast<uint32_t>(sum12[i]));
    ASSERT_EQ(std::bit_cast<uint32_t>(ann.SumOut), std::bit_cast<uint32_t>(sumOut));
    ASSERT_EQ(std::bit_cast<uint32_t>(ann.Out), std::bit_cast<uint32_t>(out));
  }
}

TEST(TdbpAnn, CopiesAreDeepAndMovesLeaveTheSourceEmpty) {
  CTdbpAnn ann = DefaultNetwork(5, 3, 2);
  ann.CurrLearnCount = 12;
  ann.Running = 1;
  CTdbpAnn copy(ann);
  EXPECT_EQ(copy.Weight11s, ann.Weight11s);
  EXPECT_EQ(copy.Weight2s, ann.Weight2s);
  EXPECT_EQ(copy.CurrLearnCount, 12);
  EXPECT_EQ(copy.Running.load(), 1);
  copy.Weight11s[0][0] += 1.0f;
  EXPECT_NE(copy.Weight11s[0][0], ann.Weight11s[0][0]);

  const auto weights = ann.Weight12s;
  CTdbpAnn moved(std::move(ann));
  EXPECT_EQ(moved.Weight12s, weights);
  EXPECT_TRUE(ann.IsEmpty());  // NOLINT(bugprone-use-after-move)
}

TEST(TdbpAnnList, RandomizeAllAndSetRunningReachEveryNetwork) {
  CTdbpAnnList list;
  const int count0[] = {4, 6}, count11[] = {3, 2}, count12[] = {2, 1};
  ASSERT_EQ(list.CreateAll(2, count0, count11, count12), 1);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAt(1).Count0, 6);
  EXPECT_FLOAT_EQ(list.GetAt(1).Alpha, ANN_DEFAULT_ALPHA);
  EXPECT_EQ(list.RandomizeAll(0.5f, 0.5f), 1);
  EXPECT_EQ(list.GetAt(1).Weight2s[0], 0.5f);
  EXPECT_EQ(list.SetRunning(1), 1);
  EXPECT_EQ(list.GetAt(0).Running.load(), 1);
  EXPECT_EQ(list.CreateAll(0, count0, count11, count12), 0);
  EXPECT_EQ(list.CreateAll(1, nullptr, count11, count12), 0);
}
