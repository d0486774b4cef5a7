// The network model's fast pass inside a search (packed weights, sums side by
// side in vector registers, the fast logistic) against a plain pass written
// out here: every one of the 91 inputs, every sum in input order, σ in
// extended precision. Positions: every move of every fifth master game of the
// ICCS collection.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "common/random.h"
#include "engine/evaluator.h"
#include "engine/search_engine.h"
#include "rules/move_rules.h"
#include "iccs_positions.h"
#include "test_support.h"

namespace {

using CSample = CGamePosition;

std::vector<CSample> GamePositions(int everyNthGame) { return IccsGamePositions(TestDataPath("iccs/master_games_1125.pgn"), everyNthGame); }

float PlainLogistic(float x) {
  return static_cast<float>(1.0L / (1.0L + expl(-static_cast<long double>(x))));
}

struct CPlainPass {
  float Sum11[31], Out11[31], Sum12[11], Out12[11], SumOut, Out;
};

CPlainPass PlainPass(const CTdbpAnn& ann, const float* input) {
  CPlainPass pass {};
  for (int i = 0; i < 31; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < 91; ++j) {
      const float product = input[j] * ann.Weight11s[i][j];
      sum = sum + product;
    }
    pass.Sum11[i] = sum;
    pass.Out11[i] = PlainLogistic(sum);
  }
  pass.SumOut = 0.0f;
  for (int i = 0; i < 11; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < 31; ++j) {
      const float product = ann.Weight12s[i][j] * pass.Out11[j];
      sum = sum + product;
    }
    pass.Sum12[i] = sum;
    pass.Out12[i] = PlainLogistic(sum);
    const float product = pass.Out12[i] * ann.Weight2s[i];
    pass.SumOut = pass.SumOut + product;
  }
  pass.Out = PlainLogistic(pass.SumOut);
  return pass;
}

int PlainScore(float out, int redToMove) {
  const int score = static_cast<int>((2.0 * static_cast<double>(out) - 1.0) * ANN_SCORE_SCALE);
  return redToMove ? score : -score;
}

uint32_t Bits(float x) { return std::bit_cast<uint32_t>(x); }

class PackedNetworkTest : public testing::Test {
 protected:
  void SetUp() override {
    SeedRandomWith(2024);
    const int count0[] = {91}, count11[] = {31}, count12[] = {11};
    ASSERT_EQ(Evaluator.AnnList.CreateAll(1, count0, count11, count12), 1);
    // Wide weights, so the sums reach far into both tails of the logistic.
    Evaluator.AnnList.GetAt(0).Randomize(-3.0f, 3.0f);
    Evaluator.EvalModel = EVAL_MODEL_ANN;
  }
  bool Quiet(const CSample& sample) const {
    return !IsAttackingKing(sample.Position, sample.RedToMove) && !IsInCheck(sample.Position, sample.RedToMove) &&
           KingStatus(sample.Position, sample.RedToMove) == 0;
  }
  CEvaluator Evaluator;
};

}  // namespace

TEST_F(PackedNetworkTest, EveryScoreAndEveryUnitEqualsThePlainPassBitForBit) {
  const std::vector<CSample> samples = GamePositions(5);
  ASSERT_GT(samples.size(), 12000u);
  CTdbpAnn& ann = Evaluator.AnnList.GetAt(0);
  const CEvaluator::CSearchScope searching(Evaluator);
  float input[91];
  int compared = 0;
  for (CSample sample : samples) {
    if (!Quiet(sample)) continue;
    ++compared;
    Evaluator.EncodeInputs(sample.Position, sample.RedToMove, input);
    const CPlainPass plain = PlainPass(ann, input);
    ASSERT_EQ(Evaluator.EvaluatePosition(sample.Position, sample.RedToMove, 127),
              PlainScore(plain.Out, sample.RedToMove))
        << sample.Position.Fen(sample.RedToMove);
    // The network's scratch holds what the plain pass computed.
    for (int i = 0; i < 31; ++i) {
      ASSERT_EQ(Bits(ann.Sum11[i]), Bits(plain.Sum11[i])) << i;
      ASSERT_EQ(Bits(ann.Out11[i]), Bits(plain.Out11[i])) << i;
    }
    for (int i = 0; i < 11; ++i) {
      ASSERT_EQ(Bits(ann.Sum12[i]), Bits(plain.Sum12[i])) << i;
      ASSERT_EQ(Bits(ann.Out12[i]), Bits(plain.Out12[i])) << i;
    }
    ASSERT_EQ(Bits(ann.SumOut), Bits(plain.SumOut));
  }
  EXPECT_GT(compared, 10000);
}

TEST_F(PackedNetworkTest, InsideAndOutsideASearchEveryPositionScoresTheSame) {
  const std::vector<CSample> samples = GamePositions(25);
  ASSERT_GT(samples.size(), 2000u);
  std::vector<int> outside;
  for (CSample sample : samples)
    outside.push_back(Evaluator.EvaluatePosition(sample.Position, sample.RedToMove, 127));
  const CEvaluator::CSearchScope searching(Evaluator);
  for (size_t i = 0; i < samples.size(); ++i) {
    CSample sample = samples[i];
    ASSERT_EQ(Evaluator.EvaluatePosition(sample.Position, sample.RedToMove, 127), outside[i]) << i;
  }
}

TEST_F(PackedNetworkTest, ChangedWeightsAreReadAtTheNextSearchOrAtOnceWhenAnnounced) {
  CSample sample;  // the start position, red to move
  CTdbpAnn& ann = Evaluator.AnnList.GetAt(0);
  float input[91];
  Evaluator.EncodeInputs(sample.Position, 1, input);
  auto plainScore = [&] { return PlainScore(PlainPass(ann, input).Out, 1); };
  {
    const CEvaluator::CSearchScope searching(Evaluator);
    EXPECT_EQ(Evaluator.EvaluatePosition(sample.Position, 1, 127), plainScore());
    // Announced: the packed copy is refreshed at once.
    ann.Weight2s[3] = 2.5f;
    ann.WeightsChanged();
    EXPECT_EQ(Evaluator.EvaluatePosition(sample.Position, 1, 127), plainScore());
  }
  // Written in place between searches, unannounced: read outside a search and by the next one.
  ann.Weight11s[7][85] = -2.0f;
  ann.Weight12s[2][7] = 2.75f;
  const int expected = plainScore();
  EXPECT_EQ(Evaluator.EvaluatePosition(sample.Position, 1, 127), expected);
  const CEvaluator::CSearchScope searching(Evaluator);
  EXPECT_EQ(Evaluator.EvaluatePosition(sample.Position, 1, 127), expected);
}

TEST(PackedNetwork, ASearchScoresAsBeforeWhateverTheWeightsWereBetweenSearches) {
  // Two engines with the same network search the same position; one had
  // other weights in place during an earlier search. Same tree, same nodes.
  ScopedTarvoHome home;
  SeedRandomWith(5);
  CSearchEngine* engines[2] = {new CSearchEngine, new CSearchEngine};
  for (CSearchEngine* engine : engines) {
    engine->UseBook = 0;
    engine->MaxDepth = 3;
    engine->MaxIterTime = 1 << 30;
    engine->MaxSearchTime = 1 << 30;
    engine->Evaluator.EvalModel = EVAL_MODEL_ANN;
  }
  CTdbpAnn& changed = engines[1]->Evaluator.AnnList.GetAt(0);
  const CTdbpAnn original = engines[0]->Evaluator.AnnList.GetAt(0);
  changed = original;
  changed.Weight2s[0] = 3.0f;  // in place, unannounced
  engines[1]->TransTable.ResetKeys(engines[1]->Position);
  engines[1]->FindBestMove(1, 1);
  changed.Weight2s[0] = original.Weight2s[0];
  uint64_t nodes[2];
  int scores[2];
  for (int i = 0; i < 2; ++i) {
    engines[i]->FindBestMove(1, 1);
    nodes[i] = engines[i]->NodeCount;
    scores[i] = engines[i]->BestScore;
  }
  EXPECT_EQ(nodes[0], nodes[1]);
  EXPECT_EQ(scores[0], scores[1]);
  delete engines[0];
  delete engines[1];
}
