// TD(lambda) updates checked against a reference written independently:
// weights in double, gradients by central differences, and the update of a
// pattern as the sum over its positions of delta_t times the trace e_t.
#include "ann/td_learner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ann/sample_file.h"
#include "ann/training_samples.h"
#include "common/random.h"
#include "test_support.h"

namespace {

// Flat weights: Weight11s rows, Weight12s rows, Weight2s.
std::vector<double> Flat(const CTdbpAnn& ann) {
  std::vector<double> w;
  for (const auto& row : ann.Weight11s) w.insert(w.end(), row.begin(), row.end());
  for (const auto& row : ann.Weight12s) w.insert(w.end(), row.begin(), row.end());
  w.insert(w.end(), ann.Weight2s.begin(), ann.Weight2s.end());
  return w;
}

double Sigma(double x) { return 1.0 / (1.0 + std::exp(-x)); }

// The network's output for input x with flat weights w, in double.
double Output(const CTdbpAnn& shape, const std::vector<double>& w, const float* x) {
  const int n0 = shape.Count0, n11 = shape.Count11, n12 = shape.Count12;
  std::vector<double> h1(static_cast<size_t>(n11)), h2(static_cast<size_t>(n12));
  size_t at = 0;
  for (int j = 0; j < n11; ++j) {
    double sum = 0;
    for (int i = 0; i < n0; ++i) sum += w[at++] * x[i];
    h1[static_cast<size_t>(j)] = Sigma(sum);
  }
  for (int k = 0; k < n12; ++k) {
    double sum = 0;
    for (int j = 0; j < n11; ++j) sum += w[at++] * h1[static_cast<size_t>(j)];
    h2[static_cast<size_t>(k)] = Sigma(sum);
  }
  double sum = 0;
  for (int k = 0; k < n12; ++k) sum += w[at++] * h2[static_cast<size_t>(k)];
  return Sigma(sum);
}

std::vector<double> Gradient(const CTdbpAnn& shape, std::vector<double> w, const float* x) {
  std::vector<double> g(w.size());
  const double h = 1e-6;
  for (size_t i = 0; i < w.size(); ++i) {
    const double keep = w[i];
    w[i] = keep + h;
    const double up = Output(shape, w, x);
    w[i] = keep - h;
    const double down = Output(shape, w, x);
    w[i] = keep;
    g[i] = (up - down) / (2 * h);
  }
  return g;
}

// A pattern held in a mapped file, as the trainers see it.
struct CMappedPattern {
  ScopedTarvoHome home;
  CSampleFile file;
  const CPatternView& View() const { return file.Patterns()[0]; }
};

void MakeMapped(CMappedPattern& mapped, const std::vector<std::vector<float>>& inputs,
                const std::vector<int>& categories, float expect) {
  CStatusList statuses;
  for (size_t t = 0; t < inputs.size(); ++t) {
    CStatus status(categories[t], static_cast<int>(inputs[t].size()));
    status.Vectors = inputs[t];
    statuses.Add(status);
  }
  CPatternList list;
  list.Add(CPattern(statuses, expect));
  const std::string path = mapped.home.Path() + "p.sam";
  ASSERT_EQ(list.Save(path, 1), 1);
  ASSERT_TRUE(mapped.file.Open(path, static_cast<int>(inputs[0].size()), 0)) << mapped.file.Error();
}

std::vector<std::vector<float>> RandomInputs(int count, int count0) {
  std::vector<std::vector<float>> inputs;
  for (int t = 0; t < count; ++t) {
    std::vector<float> x(static_cast<size_t>(count0));
    for (auto& v : x) v = static_cast<float>(Rand15() % 200 - 100) / 100.0f;
    inputs.push_back(x);
  }
  return inputs;
}

CTdbpAnn SmallNetwork(float alpha, float lambda) {
  SeedRandomWith(7);
  return CTdbpAnn(6, 5, 4, -0.8f, 0.8f, 1, 1, 1, alpha, lambda);
}

// Expected weights after TD(lambda) over one pattern, every status training
// the one network: w + sum_t delta_t * sum_{k<=t} lambda^(t-k) grad y_k.
std::vector<double> Reference(const CTdbpAnn& ann, const std::vector<std::vector<float>>& inputs,
                              double expect) {
  const std::vector<double> w0 = Flat(ann);
  const size_t T = inputs.size();
  std::vector<double> y(T);
  std::vector<std::vector<double>> g(T);
  for (size_t t = 0; t < T; ++t) {
    y[t] = Output(ann, w0, inputs[t].data());
    g[t] = Gradient(ann, w0, inputs[t].data());
  }
  std::vector<double> w = w0, trace(w0.size(), 0.0);
  for (size_t t = 0; t < T; ++t) {
    const double next = t + 1 < T ? y[t + 1] : expect;
    const double delta = ann.Alpha * (next - y[t]);
    for (size_t i = 0; i < w.size(); ++i) {
      trace[i] = g[t][i] + ann.Lambda * trace[i];
      w[i] += delta * trace[i];
    }
  }
  return w;
}

void ExpectClose(const std::vector<double>& expected, const CTdbpAnn& ann,
                 const std::vector<double>& before) {
  const std::vector<double> actual = Flat(ann);
  ASSERT_EQ(actual.size(), expected.size());
  double largestChange = 0;
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i], expected[i], 2e-6) << "weight " << i;
    largestChange = std::max(largestChange, std::abs(expected[i] - before[i]));
  }
  EXPECT_GT(largestChange, 1e-3);  // the update is far above the tolerance
}

TEST(TdLearner, OneStatusPatternMakesOneUpdateAlongItsGradient) {
  SeedRandomWith(11);
  CTdbpAnn ann(91, 31, 11, -0.1f, 0.1f, 1, 1, 1, 0.5f, 0.9f);
  CMappedPattern mapped;
  const auto inputs = RandomInputs(1, 91);
  MakeMapped(mapped, inputs, {0}, 0.9f);
  const std::vector<double> before = Flat(ann);
  // w += Alpha * (z - y0) * dy0/dw
  const double y0 = Output(ann, before, inputs[0].data());
  const std::vector<double> grad = Gradient(ann, before, inputs[0].data());
  std::vector<double> expected = before;
  for (size_t i = 0; i < expected.size(); ++i) expected[i] += 0.5 * (0.9 - y0) * grad[i];

  CTrainBuffers buffers;
  ASSERT_EQ(buffers.Allocate(91, 31, 11), 1);
  LearnPattern(ann, mapped.View(), buffers);
  ExpectClose(expected, ann, before);
}

class TdLambda : public testing::TestWithParam<float> {};

TEST_P(TdLambda, PatternUpdatesFollowTheTraces) {
  CTdbpAnn ann = SmallNetwork(0.8f, GetParam());
  CMappedPattern mapped;
  const auto inputs = RandomInputs(5, 6);
  MakeMapped(mapped, inputs, {0, 0, 0, 0, 0}, 0.1f);
  const std::vector<double> before = Flat(ann);
  const std::vector<double> expected = Reference(ann, inputs, 0.1);
  CTrainBuffers buffers;
  ASSERT_EQ(buffers.Allocate(6, 5, 4), 1);
  LearnPattern(ann, mapped.View(), buffers);
  ExpectClose(expected, ann, before);
}

// Lambda 0: every position learns from its own gradient only; 1: the traces
// never decay within the pattern.
INSTANTIATE_TEST_SUITE_P(Lambdas, TdLambda, testing::Values(0.0f, 1.0f, 0.7f));

TEST(TdLearner, OwnCategoryModeTrainsOnlyItsStatusesAndStartsTheTraceThere) {
  CTdbpAnnList list;
  list.Add(SmallNetwork(0.8f, 0.6f));
  SeedRandomWith(99);
  list.Add(CTdbpAnn(6, 5, 4, -0.8f, 0.8f, 1, 1, 1, 0.8f, 0.6f));
  const CTdbpAnn other = list.GetAt(0);
  CMappedPattern mapped;
  const auto inputs = RandomInputs(4, 6);
  MakeMapped(mapped, inputs, {0, 1, 1, 0}, 0.9f);

  // Network 1 learns positions 1 and 2; y3 comes from network 0.
  const CTdbpAnn& ann = list.GetAt(1);
  const std::vector<double> before = Flat(ann);
  const double y1 = Output(ann, before, inputs[1].data());
  const double y2 = Output(ann, before, inputs[2].data());
  const double y3 = Output(other, Flat(other), inputs[3].data());
  const auto g1 = Gradient(ann, before, inputs[1].data());
  const auto g2 = Gradient(ann, before, inputs[2].data());
  const double d1 = 0.8 * (y2 - y1), d2 = 0.8 * (y3 - y2);
  std::vector<double> expected = before;
  for (size_t i = 0; i < expected.size(); ++i)
    expected[i] += d1 * g1[i] + d2 * (g2[i] + 0.6 * g1[i]);

  CTrainBuffers buffers;
  ASSERT_EQ(buffers.Allocate(6, 5, 4), 1);
  LearnPatternCategory(list, 1, mapped.View(), buffers, 1);
  ExpectClose(expected, list.GetAt(1), before);
  EXPECT_TRUE(Flat(list.GetAt(0)) == Flat(other));  // network 0 untouched
}

TEST(TdLearner, ListModeTrainsEachNetworkOnItsOwnStatusesAndRestartsTraces) {
  CTdbpAnnList list;
  list.Add(SmallNetwork(0.8f, 0.5f));
  SeedRandomWith(5);
  list.Add(CTdbpAnn(6, 5, 4, -0.8f, 0.8f, 1, 1, 1, 0.4f, 0.3f));
  const CTdbpAnn n0 = list.GetAt(0), n1 = list.GetAt(1);
  CMappedPattern mapped;
  const auto inputs = RandomInputs(3, 6);
  MakeMapped(mapped, inputs, {0, 0, 1}, 0.1f);
  const auto w0 = Flat(n0), w1 = Flat(n1);
  const double y0 = Output(n0, w0, inputs[0].data()), y1 = Output(n0, w0, inputs[1].data());
  const double y2 = Output(n1, w1, inputs[2].data());
  const auto g0 = Gradient(n0, w0, inputs[0].data()), g1 = Gradient(n0, w0, inputs[1].data());
  const auto g2 = Gradient(n1, w1, inputs[2].data());
  std::vector<double> e0 = w0, e1 = w1;
  for (size_t i = 0; i < e0.size(); ++i)
    e0[i] += 0.8 * (y1 - y0) * g0[i] + 0.8 * (y2 - y1) * (g1[i] + 0.5 * g0[i]);
  for (size_t i = 0; i < e1.size(); ++i) e1[i] += 0.4 * (0.1 - y2) * g2[i];  // restarted trace

  CTrainBuffers buffers;
  ASSERT_EQ(buffers.Allocate(6, 5, 4), 1);
  LearnPatternList(list, mapped.View(), buffers);
  ExpectClose(e0, list.GetAt(0), w0);
  ExpectClose(e1, list.GetAt(1), w1);
}

// Worker threads change nothing in the result, and neither does a worker
// that could not be started (its positions are done by the caller).
TEST(TdLearner, WorkerThreadsAndAFailedStartGiveTheSameWeights) {
  CMappedPattern mapped;
  const auto inputs = RandomInputs(37, 6);
  MakeMapped(mapped, inputs, std::vector<int>(37, 0), 0.9f);
  CTrainBuffers buffers;
  ASSERT_EQ(buffers.Allocate(6, 5, 4), 1);

  CTdbpAnnList single;
  single.Add(SmallNetwork(0.3f, 0.9f));
  LearnPatternCategory(single, 0, mapped.View(), buffers, 1);
  CTdbpAnn plain = SmallNetwork(0.3f, 0.9f);
  LearnPattern(plain, mapped.View(), buffers);
  EXPECT_TRUE(Flat(single.GetAt(0)) == Flat(plain));  // every status has the category

  for (int limit : {-1, 0, 1, 3}) {
    SetWorkerStartLimit(limit);
    CTdbpAnnList threaded;
    threaded.Add(SmallNetwork(0.3f, 0.9f));
    LearnPatternCategory(threaded, 0, mapped.View(), buffers, 4);
    EXPECT_TRUE(Flat(threaded.GetAt(0)) == Flat(single.GetAt(0))) << "limit " << limit;
  }
  SetWorkerStartLimit(-1);
}

}  // namespace
