// Search targets: the piece-value search's judgement of positions where the
// right answer is plain (a chariot hangs), its mapping to an expected
// result, and the sample files built from it.
#include "jobs/search_target.h"

#include <gtest/gtest.h>

#include "engine/evaluator.h"
#include "jobs/sample_generation.h"
#include "train_test_support.h"

namespace {

class SearchTarget : public TrainSuite {
 protected:
  // Sets the game (and so its engine) to the position of the FEN.
  int Setup(const char* fen) {
    CPosition position;
    int redToMove = 1;
    EXPECT_TRUE(position.SetFromFen(fen, redToMove)) << fen;
    game->HumanVsHuman = 1;
    EXPECT_TRUE(game->NewGame(position.Board, redToMove));
    return redToMove;
  }
  static int Chariots(const CPosition& position, int side) {
    int count = 0;
    for (int square = 0; square < 256; ++square) {
      const int id = position.Board[square];
      if (id != 0 && PieceKind[id] == CHARIOT && PieceSide[id] == side) ++count;
    }
    return count;
  }
};

// A chariot hangs on the a-file for whoever moves: the search must see the
// capture, score it for the capturer, and end its line after it.
TEST_F(SearchTarget, HangingChariotIsScoredForTheSideThatTakesItAndTheLeafLacksIt) {
  struct Case {
    const char* Fen;
    int Sign;        // +1: red is to win the chariot
    int LoserSide;   // whose chariot is gone at the leaf
  };
  const Case cases[] = {
      {"3k5/9/9/9/r8/9/9/9/9/R3K4 w - - 0 1", +1, BLACK},
      {"3k5/9/9/9/r8/9/9/9/9/R3K4 b - - 0 1", -1, RED},
  };
  for (const Case& c : cases) {
    const int red = Setup(c.Fen);
    for (int depth : {1, 3}) {
      game->Engine.UseBook = 1;
      game->Engine.MaxDepth = 50;
      game->Engine.Evaluator.EvalModel = EVAL_MODEL_ANN;
      CSearchJudgement judgement;
      ASSERT_TRUE(JudgeBySearch(game->Engine, red, depth, judgement)) << c.Fen;
      EXPECT_GT(c.Sign * judgement.RedCentipawns, 500) << c.Fen << " depth " << depth;
      EXPECT_EQ(Chariots(judgement.Leaf, c.LoserSide), 0) << c.Fen << " depth " << depth;
      EXPECT_EQ(Chariots(game->Position(), c.LoserSide), 1) << "the root is left as it was";
      EXPECT_EQ(game->Engine.UseBook, 1);
      EXPECT_EQ(game->Engine.MaxDepth, 50);
      EXPECT_EQ(game->Engine.Evaluator.EvalModel, EVAL_MODEL_ANN);
    }
  }
}

TEST_F(SearchTarget, StartPositionIsLevelAndScoresMapThroughTheLogisticIntoTheResultBand) {
  const int red = Setup("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1");
  game->Engine.Record.Current = 0;  // not a game's first position: no book answer
  CSearchJudgement judgement;
  JudgeBySearch(game->Engine, red, 2, judgement);
  EXPECT_LT(std::abs(judgement.RedCentipawns), 200);  // a tempo at most

  // 0.1 + 0.8 / (1 + e^-(cp/scale)), worked by hand.
  const struct {
    int Centipawns;
    float Scale, Expect;
  } rows[] = {{0, 400, 0.5f}, {400, 400, 0.6848469f}, {-400, 400, 0.3151531f},
              {30000, 400, 0.9f}, {-30000, 400, 0.1f}, {100, 100, 0.6848469f}};
  for (const auto& row : rows)
    EXPECT_NEAR(ScoreExpect(row.Centipawns, row.Scale), row.Expect, 1e-6) << row.Centipawns;
  EXPECT_FLOAT_EQ(BlendExpect(0.9f, 0.5f, 0.25f), 0.8f);
  EXPECT_FLOAT_EQ(BlendExpect(0.1f, 0.7f, 0.0f), 0.1f);
  EXPECT_FLOAT_EQ(BlendExpect(0.1f, 0.7f, 1.0f), 0.7f);
}

// A lost game whose first moves are level: with the score alone as the
// target the opening positions say "level", not "black wins"; blended half
// and half they lie between (the result alone would be 0.4 x weight off).
TEST_F(SearchTarget, ScoreWeightMakesOnePatternPerPositionWithTheBlendedTarget) {
  const std::string path = home->Path() + "six.pgn";
  ASSERT_TRUE(WriteRecord(*game, path, FirstMoves(6), "0-1"));
  for (float weight : {1.0f, 0.5f}) {
    CSampleSettings settings;
    settings.SearchDepth = 2;
    settings.ScoreWeight = weight;
    CSampleRun run;
    ASSERT_EQ(AddGameSamples(*game, run, path, "eval", home->Path() + "sample/", ".sam", settings), 1);
    ASSERT_EQ(run.Patterns.Count(), 12) << "six positions, played and mirrored";
    for (int p = 0; p < 12; ++p) {
      const CPattern& pattern = run.Patterns.GetAt(p);
      EXPECT_EQ(pattern.Statuses.Count(), 1);
      const float level = BlendExpect(0.1f, 0.5f, weight);
      EXPECT_NEAR(pattern.Expect, level, 0.15f * weight) << "pattern " << p << " weight " << weight;
    }
    EXPECT_EQ(run.Patterns.GetAt(0).Expect, run.Patterns.GetAt(1).Expect) << "a mirror scores alike";
  }
}

TEST_F(SearchTarget, TargetsAndLeavesWithoutASearchAreRefused) {
  CSampleSettings weighted;
  weighted.ScoreWeight = 0.5f;
  CSampleSettings leaves;
  leaves.LeafPositions = 1;
  CSampleSettings tooDeep;
  tooDeep.SearchDepth = 9;
  for (const CSampleSettings& settings : {weighted, leaves, tooDeep}) {
    const CJobError error = CheckSampleSettings(settings);
    EXPECT_EQ(error.Fault, CJobFault::OutOfRange);
    EXPECT_EQ(error.Setting, "SearchDepth");
  }
}

}  // namespace
