// The switches of the single-network run (shuffle, learning-rate schedule,
// mini-batches shared among threads) checked on made-up positions whose
// right value is known: sigma(material difference / scale). Each switch
// must still learn it; besides, the batch learner must match a reference
// written in the trace form, threads must not change the result beyond
// rounding, and batch 1 must be the plain learner exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ann/ann_trainer.h"
#include "ann/batch_learner.h"
#include "ann/learn_schedule.h"
#include "ann/sample_file.h"
#include "ann/td_learner.h"
#include "ann/training_samples.h"
#include "common/random.h"
#include "test_support.h"

namespace {

constexpr int kInputs = 91;

// The network's input values of red's pieces by kind (pawn, elephant,
// advisor, horse, cannon, chariot); black's are their negatives, a king is 1.
constexpr float kPieceInput[6] = {0.01f, 0.02f, 0.0208f, 0.045f, 0.0475f, 0.1f};
constexpr int kPiecesPerSide[6] = {5, 2, 2, 2, 2, 2};
constexpr double kScale = 0.1;  // a chariot ahead: sigma(1)

struct CBoard {
  std::vector<float> Inputs = std::vector<float>(kInputs, 0.0f);
  double Material = 0;  // red's input sum minus black's, kings left out
  float Value() const { return static_cast<float>(1.0 / (1.0 + std::exp(-Material / kScale))); }
};

// Kings on their own squares, every other piece kept with probability 1/2 on
// a free square; red to move.
CBoard MadeUpBoard(std::mt19937& random) {
  CBoard board;
  std::vector<int> free;
  for (int square = 0; square < 90; ++square)
    if (square != 4 && square != 85) free.push_back(square);
  board.Inputs[4] = -1.0f;
  board.Inputs[85] = 1.0f;
  board.Inputs[90] = 0.005f;
  for (int side = 0; side < 2; ++side)
    for (int kind = 0; kind < 6; ++kind)
      for (int n = 0; n < kPiecesPerSide[kind]; ++n) {
        if (random() % 2 == 0) continue;
        const size_t at = random() % free.size();
        const float value = side == 0 ? kPieceInput[kind] : -kPieceInput[kind];
        board.Inputs[static_cast<size_t>(free[at])] = value;
        board.Material += value;
        free.erase(free.begin() + static_cast<std::ptrdiff_t>(at));
      }
  return board;
}

std::vector<CBoard> MadeUpBoards(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<CBoard> boards;
  for (int i = 0; i < count; ++i) boards.push_back(MadeUpBoard(random));
  return boards;
}

// Boards as one-status patterns in files of `perFile`, in the folder.
void WriteSampleFiles(const std::string& folder, const std::vector<CBoard>& boards, size_t perFile) {
  std::filesystem::create_directories(folder);
  for (size_t first = 0, file = 0; first < boards.size(); first += perFile, ++file) {
    CPatternList list;
    for (size_t i = first; i < std::min(boards.size(), first + perFile); ++i) {
      CStatusList statuses;
      CStatus status(0, kInputs);
      status.Vectors = boards[i].Inputs;
      statuses.Add(status);
      list.Add(CPattern(statuses, boards[i].Value()));
    }
    ASSERT_EQ(list.Save(folder + "part" + std::to_string(file) + ".sam", 1), 1);
  }
}

CTdbpAnn FreshNetwork(uint32_t seed, float alpha) {
  SeedRandomWith(seed);
  return CTdbpAnn(kInputs, 31, 11, -0.5f, 0.5f, 1, 1000, 1, alpha, 0.0f);
}

std::vector<double> Weights(const CTdbpAnn& network) {
  std::vector<double> w;
  for (const auto& row : network.Weight11s) w.insert(w.end(), row.begin(), row.end());
  for (const auto& row : network.Weight12s) w.insert(w.end(), row.begin(), row.end());
  w.insert(w.end(), network.Weight2s.begin(), network.Weight2s.end());
  return w;
}

struct CSwitches {
  const char* Name;
  bool Shuffle;
  int32_t Batch;
  int32_t Threads;
  float Alpha;
  float AlphaEnd;  // 0: no schedule
  int32_t Passes;
  bool Adam = false;
  float Bound = 2.0f;  // the starting weights lie in -Bound..Bound
};

class TrainSwitches : public testing::TestWithParam<CSwitches> {};

// Every switch must still learn the value function well on positions it has
// not seen: the error falls far below that of predicting the mean value,
// and clearly unbalanced positions get the right side. (The inputs are small,
// so the rates are high; a batch sums its updates, so its rate is lower.)
TEST_P(TrainSwitches, LearnsTheMaterialValueOfMadeUpPositions) {
  const CSwitches& s = GetParam();
  ScopedTarvoHome home;
  // Three files for a shuffle to mix; else one, as each file means a write
  // of the network.
  WriteSampleFiles(home.Path() + "sample/", MadeUpBoards(3000, 11), s.Shuffle ? 1000 : 3000);

  CTdbpAnnList list;
  SeedRandomWith(3);
  list.Add(CTdbpAnn(kInputs, 31, 11, -s.Bound, s.Bound, 1, 1000, 1, 0.5f, 0.0f));
  CLearnOptions options;
  options.MaxLearnCount = s.Passes;
  options.Alpha = s.Alpha;
  options.Shuffle = s.Shuffle;
  options.ShuffleSeed = 7;
  options.BatchSize = s.Batch;
  options.ThreadCount = s.Threads;
  options.Adam = s.Adam;
  if (s.AlphaEnd > 0) options.AlphaEnd = s.AlphaEnd;
  std::string error;
  options.Error = &error;
  ASSERT_EQ(TrainEvery(list, 0, "eval000", ".ann", home.Path() + "sample/", options), 1) << error;

  CTdbpAnn& network = list.GetAt(0);
  const std::vector<CBoard> heldOut = MadeUpBoards(600, 99);
  double mean = 0;
  for (const CBoard& board : heldOut) mean += board.Value();
  mean /= static_cast<double>(heldOut.size());
  double error2 = 0, spread2 = 0;
  int clear = 0, agree = 0;
  for (const CBoard& board : heldOut) {
    network.Evaluate(board.Inputs.data());
    error2 += (network.Out - board.Value()) * (network.Out - board.Value());
    spread2 += (mean - board.Value()) * (mean - board.Value());
    if (std::fabs(board.Material) >= 0.09) {  // about a chariot or more
      ++clear;
      agree += (network.Out > 0.5f) == (board.Material > 0);
    }
  }
  const double n = static_cast<double>(heldOut.size());
  EXPECT_LT(error2, 0.5 * spread2) << "mean squared error " << error2 / n << " against "
                                   << spread2 / n << " for the mean";
  ASSERT_GT(clear, 100);
  EXPECT_GE(agree, clear * 9 / 10) << agree << " of " << clear;
}

INSTANTIATE_TEST_SUITE_P(
    Switches, TrainSwitches,
    testing::Values(CSwitches {"Plain", false, 1, 1, 10.0f, 0, 40},
                    CSwitches {"Shuffle", true, 1, 1, 10.0f, 0, 40},
                    CSwitches {"Batch16", false, 16, 1, 1.25f, 0, 100},
                    CSwitches {"Batch16Threads2", false, 16, 2, 1.25f, 0, 100},
                    CSwitches {"AlphaSchedule", false, 1, 1, 40.0f, 0.05f, 40},
                    CSwitches {"Everything", true, 16, 2, 5.0f, 0.0125f, 100},
                    // Adam from a new network's own small weights, where the
                    // plain update needs the large ones above to learn at all.
                    CSwitches {"AdamFromSmallWeights", true, 16, 2, 0.01f, 0.001f, 30, true, 0.1f}),
    [](const testing::TestParamInfo<CSwitches>& row) { return std::string(row.param.Name); });

// ---- The batch learner against a reference and against itself.

double Sigma(double x) { return 1.0 / (1.0 + std::exp(-x)); }

// Output of a network with flat weights (Weight11s rows, Weight12s rows, Weight2s), in double.
double Output(const CTdbpAnn& shape, const std::vector<double>& w, const float* x) {
  std::vector<double> h1(static_cast<size_t>(shape.Count11)), h2(static_cast<size_t>(shape.Count12));
  size_t at = 0;
  for (double& h : h1) {
    double sum = 0;
    for (int i = 0; i < shape.Count0; ++i) sum += w[at++] * x[i];
    h = Sigma(sum);
  }
  for (double& h : h2) {
    double sum = 0;
    for (double in : h1) sum += w[at++] * in;
    h = Sigma(sum);
  }
  double sum = 0;
  for (double in : h2) sum += w[at++] * in;
  return Sigma(sum);
}

// The update of one pattern the way the trace learner defines it:
// e_t = g_t + lambda e_t-1 with g_t by central differences, summed delta_t e_t.
std::vector<double> TraceUpdate(const CTdbpAnn& shape, const std::vector<double>& w,
                                const std::vector<std::vector<float>>& inputs, double expect) {
  const size_t n = w.size(), count = inputs.size();
  std::vector<double> y(count), update(n, 0.0), trace(n, 0.0);
  for (size_t t = 0; t < count; ++t) y[t] = Output(shape, w, inputs[t].data());
  for (size_t t = 0; t < count; ++t) {
    const double delta = shape.Alpha * ((t + 1 < count ? y[t + 1] : expect) - y[t]);
    std::vector<double> probe = w;
    for (size_t i = 0; i < n; ++i) {
      probe[i] = w[i] + 1e-6;
      const double up = Output(shape, probe, inputs[t].data());
      probe[i] = w[i] - 1e-6;
      const double down = Output(shape, probe, inputs[t].data());
      probe[i] = w[i];
      trace[i] = (up - down) / 2e-6 + shape.Lambda * trace[i];
      update[i] += delta * trace[i];
    }
  }
  return update;
}

struct CMadeUpGames {
  ScopedTarvoHome home;
  CSampleFile file;
  std::vector<std::vector<std::vector<float>>> Inputs;
  std::vector<float> Expects;
};

// `games` patterns of 1..maxLength statuses of count0 random inputs (some zero).
void MakeGames(CMadeUpGames& games, int count0, int count, int maxLength, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  CPatternList list;
  for (int g = 0; g < count; ++g) {
    CStatusList statuses;
    std::vector<std::vector<float>> inputs;
    const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(maxLength));
    for (int t = 0; t < length; ++t) {
      CStatus status(0, count0);
      for (float& x : status.Vectors) x = random() % 3 == 0 ? 0.0f : value(random);
      inputs.push_back(status.Vectors);
      statuses.Add(status);
    }
    const float expect = static_cast<float>(random() % 3) / 2.0f;
    games.Inputs.push_back(inputs);
    games.Expects.push_back(expect);
    list.Add(CPattern(statuses, expect));
  }
  const std::string path = games.home.Path() + "games.sam";
  ASSERT_EQ(list.Save(path, 1), 1);
  ASSERT_TRUE(games.file.Open(path, count0, 0)) << games.file.Error();
}

TEST(BatchLearner, ABatchAppliesTheSumOfItsPatternsTraceUpdatesFromTheWeightsBeforeIt) {
  for (const float lambda : {0.0f, 0.7f, 1.0f}) {
    SCOPED_TRACE(lambda);
    CMadeUpGames games;
    MakeGames(games, 6, 3, 5, 21);
    SeedRandomWith(5);
    CTdbpAnn network(6, 4, 3, -1.0f, 1.0f, 1, 1, 1, 0.3f, lambda);
    const std::vector<double> before = Weights(network);
    std::vector<double> expected = before;
    for (size_t g = 0; g < games.Inputs.size(); ++g) {
      const std::vector<double> update = TraceUpdate(network, before, games.Inputs[g], games.Expects[g]);
      for (size_t i = 0; i < expected.size(); ++i) expected[i] += update[i];
    }
    CBatchLearner learner;
    ASSERT_EQ(learner.Start(network, 1), 1);
    learner.Learn(network, games.file.Patterns().data(), static_cast<int>(games.file.Patterns().size()));
    const std::vector<double> after = Weights(network);
    for (size_t i = 0; i < after.size(); ++i) EXPECT_NEAR(after[i], expected[i], 2e-6) << "weight " << i;
  }
}

TEST(BatchLearner, ThreadsShareABatchWithTheSameResultUpToRounding) {
  CMadeUpGames games;
  MakeGames(games, kInputs, 200, 40, 8);
  const std::vector<CPatternView>& patterns = games.file.Patterns();
  for (const bool adam : {false, true}) {
    SCOPED_TRACE(adam ? "Adam" : "plain");
    const float alpha = adam ? 0.01f : 0.05f;
    std::vector<std::vector<double>> results;
    for (const int threads : {1, 2, 3}) {
      CTdbpAnn network = FreshNetwork(4, alpha);
      network.Lambda = 0.8f;
      CBatchLearner learner;
      // Started twice: the second set of workers must wait for a batch too.
      ASSERT_EQ(learner.Start(network, threads, adam), threads);
      learner.Learn(network, patterns.data(), 0);
      ASSERT_EQ(learner.Start(network, threads, adam), threads);
      for (size_t at = 0; at < patterns.size(); at += 16)
        learner.Learn(network, patterns.data() + at, static_cast<int>(std::min<size_t>(16, patterns.size() - at)));
      results.push_back(Weights(network));
    }
    const std::vector<double> start = Weights(FreshNetwork(4, alpha));
    double moved = 0;
    for (size_t i = 0; i < start.size(); ++i) moved = std::max(moved, std::fabs(results[0][i] - start[i]));
    EXPECT_GT(moved, 1e-3);  // the batches did learn
    for (size_t r = 1; r < results.size(); ++r)
      for (size_t i = 0; i < start.size(); ++i)
        ASSERT_NEAR(results[r][i], results[0][i], 1e-6 * (1.0 + std::fabs(results[0][i]))) << "weight " << i;
  }
}

// Runs TrainEvery over the made-up games' folder and gives the weights.
std::vector<double> TrainedWeights(const std::string& folder, const CLearnOptions& options) {
  CTdbpAnnList list;
  list.Add(FreshNetwork(9, 0.05f));
  list.GetAt(0).Lambda = 0.7f;
  CLearnOptions run = options;
  run.MaxLearnCount = 2;
  EXPECT_EQ(TrainEvery(list, 0, "eval000", ".ann", folder, run), 1);
  return Weights(list.GetAt(0));
}

TEST(TrainSwitchRuns, BatchOneIsThePlainLearnerAndAFixedSeedRepeatsItsOrder) {
  ScopedTarvoHome home;
  const std::string folder = home.Path() + "sample/";
  WriteSampleFiles(folder, MadeUpBoards(300, 4), 100);
  const std::vector<double> plain = TrainedWeights(folder, {});
  CLearnOptions one;
  one.BatchSize = 1;
  one.ThreadCount = 2;
  EXPECT_EQ(TrainedWeights(folder, one), plain);  // exactly

  CLearnOptions shuffled;
  shuffled.Shuffle = true;
  shuffled.ShuffleSeed = 12345;
  const std::vector<double> first = TrainedWeights(folder, shuffled);
  EXPECT_EQ(TrainedWeights(folder, shuffled), first);
  EXPECT_NE(first, plain);
  shuffled.ShuffleSeed = 54321;
  EXPECT_NE(TrainedWeights(folder, shuffled), first);
}

TEST(TrainSwitchRuns, TheRateFallsPassByPassAndTheNetworkKeepsItsStart) {
  ScopedTarvoHome home;
  const std::string folder = home.Path() + "sample/";
  WriteSampleFiles(folder, MadeUpBoards(20, 4), 10);
  CTdbpAnnList list;
  list.Add(FreshNetwork(9, 0.05f));
  CLearnOptions options;
  options.MaxLearnCount = 3;
  options.Alpha = 0.1f;
  options.AlphaEnd = 0.001f;
  std::vector<float> rates;
  options.OnProgress = [&](const CTrainProgress& at) {
    if (at.PassEnded) rates.push_back(at.Alpha);
  };
  ASSERT_EQ(TrainEvery(list, 0, "eval000", ".ann", folder, options), 1);
  ASSERT_EQ(rates.size(), 3u);
  EXPECT_FLOAT_EQ(rates[0], 0.1f);
  EXPECT_FLOAT_EQ(rates[1], 0.01f);  // sqrt(0.1 * 0.001)
  EXPECT_FLOAT_EQ(rates[2], 0.001f);
  EXPECT_EQ(list.GetAt(0).Alpha, 0.1f);
  CTdbpAnn saved;
  ASSERT_EQ(saved.Load(home.Path() + "eval000.ann"), 1);
  EXPECT_EQ(saved.Alpha, 0.1f);
}

TEST(LearnSchedule, RatesAndOrders) {
  const struct {
    float Start, End;
    int32_t Pass, Passes;
    float Expected;
  } rates[] = {
      {0.1f, 0.001f, 1, 5, 0.1f},     {0.1f, 0.001f, 5, 5, 0.001f},  {0.1f, 0.001f, 3, 5, 0.01f},
      {0.01f, 0.04f, 2, 3, 0.02f},    {0.1f, 0.001f, 1, 1, 0.1f},    {0.0f, 0.001f, 2, 3, 0.0f},
  };
  for (const auto& r : rates)
    EXPECT_FLOAT_EQ(PassAlpha(r.Start, r.End, r.Pass, r.Passes), r.Expected)
        << r.Start << " " << r.End << " " << r.Pass << "/" << r.Passes;

  std::vector<CPatternView> patterns(50);
  for (size_t i = 0; i < patterns.size(); ++i) patterns[i].StatusCount = static_cast<int32_t>(i);
  std::vector<CPatternView> a = patterns, b = patterns, c = patterns;
  ShufflePatterns(a, 1, 1);
  ShufflePatterns(b, 1, 1);
  ShufflePatterns(c, 1, 2);
  std::vector<int> seen(patterns.size(), 0), orderA, orderB, orderC;
  for (size_t i = 0; i < a.size(); ++i) {
    ++seen[static_cast<size_t>(a[i].StatusCount)];
    orderA.push_back(a[i].StatusCount);
    orderB.push_back(b[i].StatusCount);
    orderC.push_back(c[i].StatusCount);
  }
  EXPECT_EQ(seen, std::vector<int>(patterns.size(), 1));  // a permutation
  EXPECT_EQ(orderA, orderB);
  EXPECT_NE(orderA, orderC);  // every pass its own order
}

TEST(TrainSwitchRuns, BadSwitchValuesAreRefusedByName) {
  const CTdbpAnn network = FreshNetwork(1, 0.05f);
  const struct {
    std::optional<int32_t> Batch;
    std::optional<float> AlphaEnd;
    const char* Setting;
  } cases[] = {
      {0, std::nullopt, "BatchSize"},
      {-3, std::nullopt, "BatchSize"},
      {std::nullopt, 0.0f, "AlphaEnd"},
      {std::nullopt, -0.01f, "AlphaEnd"},
      {std::nullopt, NAN, "AlphaEnd"},
      {std::nullopt, INFINITY, "AlphaEnd"},
  };
  for (const auto& c : cases) {
    CLearnOptions options;
    options.BatchSize = c.Batch;
    options.AlphaEnd = c.AlphaEnd;
    const std::string message = CheckLearnValues(network, options);
    EXPECT_NE(message.find(c.Setting), std::string::npos) << message;
  }
  CLearnOptions fine;
  fine.BatchSize = 1;
  fine.AlphaEnd = 0.001f;
  EXPECT_EQ(CheckLearnValues(network, fine), "");
}

}  // namespace
