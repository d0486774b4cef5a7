#include "engine/evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/random.h"
#include "engine/search_engine.h"
#include "rules/move_rules.h"
#include "test_support.h"

namespace {

CPosition FromFen(const std::string& fen, int& redToMove) {
  CPosition position;
  EXPECT_EQ(position.SetFromFen(fen.c_str(), redToMove), 1) << fen;
  return position;
}

// The FENs of tests/data: perft positions and the games' final positions.
std::vector<std::string> DataFens() {
  std::vector<std::string> fens;
  auto column = [&](const std::string& file, int index) {
    std::ifstream in(TestDataPath(file));
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
      std::stringstream fields(line);
      std::string field;
      for (int i = 0; i <= index && std::getline(fields, field, '\t'); ++i) {
      }
      if (!field.empty()) fens.push_back(field);
    }
  };
  column("perft.tsv", 0);
  column("games/expected.tsv", 2);
  return fens;
}

// Positions reached by random legal play from the data positions.
struct CSample {
  CPosition Position;
  int RedToMove;
};

std::vector<CSample> SamplePositions(int plies) {
  std::vector<CSample> samples;
  std::mt19937 engine(2024);
  CMoveList list;
  for (const std::string& fen : DataFens()) {
    int red = 1;
    CPosition position = FromFen(fen, red);
    for (int ply = 0; ply < plies; ++ply) {
      samples.push_back({position, red});
      if (KingStatus(position, red) != 0) break;
      GenerateAllMoves(position, red, list);
      std::vector<CMove> legal;
      for (int i = 0; i < list.Count; ++i) {
        position.MakeMove(list.Moves[i]);
        if (!IsAttackingKing(position, red ? 0 : 1)) legal.push_back(list.Moves[i]);
        position.UnmakeMove(list.Moves[i]);
      }
      if (legal.empty()) break;
      position.MakeMove(legal[engine() % legal.size()]);
      red = red ? 0 : 1;
    }
  }
  return samples;
}

float ReferenceLogistic(float x) {
  return static_cast<float>(1.0L / (1.0L + expl(-static_cast<long double>(x))));
}

// The network model's static score written out plainly: all 91 inputs.
int ReferenceAnnScore(const CTdbpAnn& ann, const float* input, int redToMove,
                      std::vector<float>& sum11) {
  sum11.assign(static_cast<size_t>(ann.Count11), 0.0f);
  std::vector<float> out11(static_cast<size_t>(ann.Count11));
  for (int i = 0; i < ann.Count11; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < ann.Count0; ++j) sum = sum + input[j] * ann.Weight11s[i][j];
    sum11[i] = sum;
    out11[i] = ReferenceLogistic(sum);
  }
  float sumOut = 0.0f;
  for (int i = 0; i < ann.Count12; ++i) {
    float sum = 0.0f;
    for (int j = 0; j < ann.Count11; ++j) sum = sum + ann.Weight12s[i][j] * out11[j];
    sumOut = sumOut + ReferenceLogistic(sum) * ann.Weight2s[i];
  }
  const float out = ReferenceLogistic(sumOut);
  const int score = static_cast<int>((2.0 * out - 1.0) * 134217728.0);
  return redToMove ? score : -score;
}

class EvaluatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Evaluator = std::make_unique<CEvaluator>();
    SeedRandomWith(11);
    const int count0[] = {91}, count11[] = {31}, count12[] = {11};
    ASSERT_EQ(Evaluator->AnnList.CreateAll(1, count0, count11, count12), 1);
  }
  int Both(const char* fen, int model, int ply = 127) {
    int red = 1;
    CPosition position = FromFen(fen, red);
    Evaluator->EvalModel = model;
    return Evaluator->EvaluatePosition(position, red, ply);
  }
  void BuildRecords(const char* fen) {
    int red = 1;
    Evaluator->BuildAttackRecords(FromFen(fen, red));
  }
  std::unique_ptr<CEvaluator> Evaluator;
};

// Red chariots on rows 3 and 4 mate the black king; red to move could take it.
const char* const kMated = "R3k4/R8/9/9/9/9/9/9/9/3K5 b - - 0 1";
const char* const kKingCapture = "R3k4/R8/9/9/9/9/9/9/9/3K5 w - - 0 1";

}  // namespace

TEST_F(EvaluatorTest, CapturingTheKingScoresMateBeforeAnythingElse) {
  EXPECT_EQ(Both(kKingCapture, EVAL_MODEL_DEFAULT), MATE_SCORE);
  EXPECT_EQ(Both(kKingCapture, EVAL_MODEL_ANN), MATE_SCORE);
  // No network is consulted: without one the model could not score at all.
  Evaluator->AnnList.Clear();
  EXPECT_EQ(Both(kKingCapture, EVAL_MODEL_ANN), MATE_SCORE);
  EXPECT_EQ(Both("4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1", EVAL_MODEL_ANN), MATE_SCORE);
  EXPECT_EQ(Both("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1",
                 EVAL_MODEL_ANN),
            NO_SCORE);
}

TEST_F(EvaluatorTest, AMatedSideScoresMinusMateInBothModels) {
  for (int model : {EVAL_MODEL_DEFAULT, EVAL_MODEL_ANN})
    for (int ply : {127, 124, 123, 40}) EXPECT_EQ(Both(kMated, model, ply), -MATE_SCORE);
}

TEST_F(EvaluatorTest, EvasionSearchTakesTheBestEvasion) {
  // Black in check from the chariot on row 3 with a way out down the file.
  const char* fen = "R3k4/9/9/9/9/9/9/9/9/3K5 b - - 0 1";
  for (int model : {EVAL_MODEL_DEFAULT, EVAL_MODEL_ANN}) {
    int red = 1;
    CPosition position = FromFen(fen, red);
    const CPosition before = position;
    Evaluator->EvalModel = model;
    CMoveList list;
    GenerateAllMoves(position, red, list);
    int best = -MATE_SCORE;
    for (int i = 0; i < list.Count; ++i) {
      position.MakeMove(list.Moves[i]);
      if (!IsAttackingKing(position, 1)) best = std::max(best, -Evaluator->EvaluatePosition(position, 1, 126));
      position.UnmakeMove(list.Moves[i]);
    }
    ASSERT_GT(best, -MATE_SCORE);
    EXPECT_EQ(Evaluator->EvaluatePosition(position, red, 127), best);
    EXPECT_TRUE(position.SamePlacement(before));
  }
}

TEST_F(EvaluatorTest, ASideInCheckAboveTheEvasionPliesPaysForTheCheck) {
  // Black king in check from the chariot, with a way out. Worked by hand:
  // control (3 - 15) x 64, -640 for the check, chariot 19648 + mobility 2688
  // from red's side, and the king's own exchange term -(192000 >> 3).
  const char* fen = "R3k4/9/9/9/9/9/9/9/9/3K5 b - - 0 1";
  EXPECT_EQ(Both(fen, EVAL_MODEL_DEFAULT, 100), -768 - 640 - 22336 - 24000);
  EXPECT_EQ(Both(fen, EVAL_MODEL_DEFAULT, 123), -768 - 640 - 22336 - 24000);
  EXPECT_NE(Both(fen, EVAL_MODEL_DEFAULT, 124), -768 - 640 - 22336 - 24000);
}

TEST_F(EvaluatorTest, ALonePawnAttackedByAChariot) {
  // Red pawn (6,3) on the black chariot's row; kings apart. Worked out by hand:
  // control (5 - 19) x 64, placement and mobility -19424 from red's side, and
  // the exchange term -240 (red to move) or +480 (black to move).
  EXPECT_EQ(Both("3k5/9/9/P4r3/9/9/9/9/9/4K4 w - - 0 1", EVAL_MODEL_DEFAULT), -896 - 19424 - 240);
  EXPECT_EQ(Both("3k5/9/9/P4r3/9/9/9/9/9/4K4 b - - 0 1", EVAL_MODEL_DEFAULT), 896 + 19424 + 480);
  BuildRecords("3k5/9/9/P4r3/9/9/9/9/9/4K4 b - - 0 1");
  const int pawn = 11;
  EXPECT_EQ(Evaluator->Attacks[pawn].AttackerCount, 1);
  EXPECT_EQ(Evaluator->Attacks[pawn].Attackers[0], CHARIOT);
  EXPECT_EQ(Evaluator->Attacks[pawn].Mobility, 2);
  EXPECT_EQ(Evaluator->Control[RED], 5);
  EXPECT_EQ(Evaluator->Control[BLACK], 19);
}

TEST_F(EvaluatorTest, ADefendedPieceThatIsNotAttackedHasNoExchangeTerm) {
  // Red advisor on the palace centre, defended by its king: control 3 - 2,
  // advisor 4000 plus mobility 160, no exchange term.
  EXPECT_EQ(Both("3k5/9/9/9/9/9/9/9/4A4/4K4 w - - 0 1", EVAL_MODEL_DEFAULT), 64 + 4160);
  EXPECT_EQ(Both("3k5/9/9/9/9/9/9/9/4A4/4K4 b - - 0 1", EVAL_MODEL_DEFAULT), -64 - 4160);
  BuildRecords("3k5/9/9/9/9/9/9/9/4A4/4K4 b - - 0 1");
  const int advisor = 7;
  EXPECT_EQ(Evaluator->Attacks[advisor].DefenderCount, 1);
  EXPECT_EQ(Evaluator->Attacks[advisor].Defenders[0], KING);
  EXPECT_EQ(Evaluator->Attacks[advisor].AttackerCount, 0);
}

TEST_F(EvaluatorTest, StartPositionScoresOnlyTheCannonThreatsToTheHorses) {
  // Everything is symmetric but the exchange shifts: each side's horses are
  // threatened by the enemy cannons (own -270 each, the enemy's +540 each).
  const char* start = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";
  const char* startBlack = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1";
  EXPECT_EQ(Both(start, EVAL_MODEL_DEFAULT), 540);
  EXPECT_EQ(Both(startBlack, EVAL_MODEL_DEFAULT), 540);
}

TEST(ExchangeEstimate, WorkedCases) {
  const int chariot[] = {CHARIOT}, pawn[] = {PAWN}, horse[] = {HORSE}, none[] = {0};
  // Undefended pawn: an eighth (own) or a quarter (enemy) of its value.
  EXPECT_EQ(CEvaluator::ExchangeEstimate(PAWN, chariot, 1, none, 0, 3, 5), -240);
  EXPECT_EQ(CEvaluator::ExchangeEstimate(PAWN, chariot, 1, none, 0, 2, 4), -480);
  // Defended chariot attacked by a pawn: it loses the difference.
  EXPECT_EQ(CEvaluator::ExchangeEstimate(CHARIOT, pawn, 1, horse, 1, 3, 5), -2400 + 240);
  // Defended pawn attacked by a chariot: taking it costs the chariot.
  EXPECT_EQ(CEvaluator::ExchangeEstimate(PAWN, chariot, 1, horse, 1, 3, 5), -(1920 >> 5));
}

// One case for every way out of the estimate, each worked by hand with the
// values x 32: pawn 1920, elephant 3840, advisor 4000, horse 8640, cannon
// 9120, chariot 19200.
TEST(ExchangeEstimate, EveryBranchWorkedByHand) {
  struct Case {
    int Target;
    std::vector<int> Attackers, Defenders;
    int K, J, Expected;
  };
  const Case cases[] = {
      // Fewer defenders, x = 1920 + 1920 - 19200 <= 0: -(1920 >> 5).
      {PAWN, {CHARIOT, CHARIOT}, {PAWN}, 3, 5, -60},
      // Fewer defenders, x - T = 3840 - 1920 >= 0 at once: -(9120 >> 2) + (1920 >> 4).
      {CANNON, {HORSE, PAWN}, {ELEPHANT}, 2, 4, -2280 + 120},
      // Fewer defenders, the loop runs out: -2400 + 1080 - 240.
      {CHARIOT, {CANNON, HORSE}, {PAWN}, 3, 5, -1560},
      // As many defenders, x - T = 3840 - 3840 is exactly 0: -1080 + (1920 >> 5).
      {HORSE, {PAWN, PAWN}, {ADVISOR, ELEPHANT}, 3, 5, -1020},
      // As many defenders, x = 19200 + 1920 - 17760 = 3360, u = 8640 + 3360 - 19200 < 0:
      // -2400 + 1080 - 60.
      {CHARIOT, {HORSE, CANNON}, {PAWN, ELEPHANT}, 3, 5, -1380},
      // As many defenders, u - D0 = 3840 - 1920 >= 0: -1080 + 1080 - 240 + 270.
      {HORSE, {HORSE, HORSE, HORSE}, {PAWN, CHARIOT, CHARIOT}, 3, 5, 30},
      // As many defenders, x = 8640 + 1920 - 28320 <= 0: -(8640 >> 5).
      {HORSE, {CANNON, CHARIOT}, {PAWN, PAWN}, 3, 5, -270},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CEvaluator::ExchangeEstimate(c.Target, c.Attackers.data(), static_cast<int>(c.Attackers.size()),
                                           c.Defenders.data(), static_cast<int>(c.Defenders.size()), c.K, c.J),
              c.Expected)
        << c.Target << " " << c.Attackers.size() << " " << c.Defenders.size();
}

TEST(ExchangeEstimate, DoesNotDependOnTheOrderOfTheLists) {
  std::vector<int> attackers = {CHARIOT, PAWN, HORSE, CANNON, KING};
  std::vector<int> defenders = {ADVISOR, ELEPHANT, HORSE, CHARIOT};
  for (int target : {PAWN, HORSE, CANNON, CHARIOT})
    for (int n = 1; n <= 5; ++n)
      for (int m = 0; m <= 4; ++m) {
        std::vector<int> a(attackers.begin(), attackers.begin() + n);
        std::vector<int> d(defenders.begin(), defenders.begin() + m);
        std::sort(a.begin(), a.end());
        const int expected = CEvaluator::ExchangeEstimate(target, a.data(), n, d.data(), m, 3, 5);
        do {
          std::vector<int> dr(d.rbegin(), d.rend());
          ASSERT_EQ(CEvaluator::ExchangeEstimate(target, a.data(), n, dr.data(), m, 3, 5), expected);
          ASSERT_EQ(CEvaluator::ExchangeEstimate(target, a.data(), n, d.data(), m, 3, 5), expected);
        } while (std::next_permutation(a.begin(), a.end()));
      }
}

TEST_F(EvaluatorTest, NetworkInputsFollowTheBoard) {
  float inputs[91];
  int red = 1;
  CPosition kings = FromFen("4k4/9/9/9/9/9/9/9/9/4K4 w - - 0 1", red);
  ASSERT_EQ(Evaluator->EncodeInputs(kings, 1, inputs), 1);
  EXPECT_EQ(inputs[85], 1.0f);
  EXPECT_EQ(inputs[4], -1.0f);
  EXPECT_EQ(inputs[90], 0.005f);
  EXPECT_EQ(std::count(inputs, inputs + 90, 0.0f), 88);
  Evaluator->EncodeInputs(kings, 0, inputs);
  EXPECT_EQ(inputs[90], -0.005f);

  CPosition start;
  Evaluator->EncodeInputs(start, 1, inputs);
  EXPECT_EQ(inputs[0], -0.1f);     // black chariot, row 3 column 3
  EXPECT_EQ(inputs[19], -0.0475f);  // black cannon (5, 4)
  EXPECT_EQ(inputs[27], -0.01f);    // black pawn (6, 3)
  EXPECT_EQ(inputs[81], 0.1f);      // red chariot (12, 3)
  EXPECT_EQ(inputs[82], 0.045f);    // red horse (12, 4)
  EXPECT_EQ(inputs[83], 0.02f);     // red elephant (12, 5)
  EXPECT_EQ(inputs[84], 0.0208f);   // red advisor (12, 6)
  EXPECT_EQ(inputs[85], 1.0f);      // red king (12, 7)
  EXPECT_EQ(inputs[72], 0.0f);      // (11, 3) is empty
}

TEST_F(EvaluatorTest, NetworkScoreMapsTheOutputOntoTwoToThe27) {
  // A 91-1-1 network whose output is σ(ln 3) = 0.75.
  CTdbpAnn& ann = Evaluator->AnnList.GetAt(0);
  ASSERT_EQ(ann.Create(91, 1, 1, 0, 0, 1, 1, 1, 0, 0), 1);
  ann.Weight2s[0] = 2.0f * std::log(3.0f);
  EXPECT_EQ(Both("4k4/9/9/9/9/9/9/9/9/3K5 w - - 0 1", EVAL_MODEL_ANN), 67108864);
  EXPECT_EQ(ann.Out, 0.75f);
  EXPECT_EQ(Both("4k4/9/9/9/9/9/9/9/9/3K5 b - - 0 1", EVAL_MODEL_ANN), -67108864);
  // σ(0) = 0.5 scores 0 for either side.
  ann.Weight2s[0] = 0.0f;
  EXPECT_EQ(Both("4k4/9/9/9/9/9/9/9/9/3K5 w - - 0 1", EVAL_MODEL_ANN), 0);
  EXPECT_EQ(Both("4k4/9/9/9/9/9/9/9/9/3K5 b - - 0 1", EVAL_MODEL_ANN), 0);
  // A network of other input size is refused.
  ASSERT_EQ(ann.Create(90, 1, 1, 0, 0, 1, 1, 1, 0, 0), 1);
  EXPECT_EQ(Both("4k4/9/9/9/9/9/9/9/9/3K5 w - - 0 1", EVAL_MODEL_ANN), NO_SCORE);
}

TEST_F(EvaluatorTest, AnEmptyNetworkScoresEveryQuietPositionZero) {
  Evaluator->AnnList.GetAt(0).Destroy();
  Evaluator->EvalModel = EVAL_MODEL_ANN;
  int quiet = 0;
  for (CSample& sample : SamplePositions(40)) {
    if (IsAttackingKing(sample.Position, sample.RedToMove) ||
        IsInCheck(sample.Position, sample.RedToMove))
      continue;
    ++quiet;
    ASSERT_EQ(Evaluator->EvaluatePosition(sample.Position, sample.RedToMove, 127), 0);
  }
  EXPECT_GT(quiet, 100);
}

TEST_F(EvaluatorTest, NetworkScoreEqualsThePlainForwardPassOnRealPositions) {
  CTdbpAnn& ann = Evaluator->AnnList.GetAt(0);
  ann.Randomize(-1.0f, 1.0f);
  float inputs[91];
  std::vector<float> sum11;
  int compared = 0;
  for (CSample& sample : SamplePositions(120)) {
    if (IsAttackingKing(sample.Position, sample.RedToMove) ||
        IsInCheck(sample.Position, sample.RedToMove))
      continue;
    Evaluator->EncodeInputs(sample.Position, sample.RedToMove, inputs);
    const int expected = ReferenceAnnScore(ann, inputs, sample.RedToMove, sum11);
    ASSERT_EQ(Evaluator->EvaluateAnn(sample.Position, sample.RedToMove, 127), expected);
    for (int i = 0; i < 31; ++i)
      ASSERT_EQ(std::bit_cast<uint32_t>(ann.Sum11[i]), std::bit_cast<uint32_t>(sum11[i]));
    ++compared;
  }
  EXPECT_GT(compared, 500);
}
