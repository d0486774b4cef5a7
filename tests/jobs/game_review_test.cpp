// Game review over a real master game with a planted blunder: the marks,
// the losses against a plain material count, the comments saved with the
// game, the stop request and the settings' checks.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "engine/engine_position.h"
#include "jobs/game_review.h"
#include "rules/iccs.h"
#include "shared_game_suite.h"

namespace {

// Material in centipawns from red's side with the usual textbook values,
// counted square by square: an outside yardstick for the search's scores.
int MaterialBalance(const CPosition& position) {
  int balance = 0;
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 16; ++col) {
      const int id = position.Board[row * 16 + col];
      if (id == 0) continue;
      static const int kValue[8] = {0, 100, 200, 200, 400, 450, 900, 0};
      const int kind = PieceKind[id];
      balance += (PieceSide[id] == RED ? 1 : -1) * kValue[kind];
    }
  return balance;
}

class GameReviewTest : public SharedGameSuite<> {
 protected:
  // game01 (a master game) to its 26th ply, then red's chariot steps into
  // the black chariot's line (c4c5) and is taken (g5c5).
  static constexpr int kBlunderPly = 27;
  void LoadPlantedGame() {
    CGame& game = *SharedGame;
    ASSERT_EQ(game.LoadPgn(TestDataPath("games/game01.pgn")), 1);
    game.Record()[3].Comment = Utf8ToGb18030("好棋");  // a comment of the game's own
    while (game.Record().Current + 1 > kBlunderPly - 1) ASSERT_EQ(game.Undo(), 1);
    for (const char* iccs : {"c4c5", "g5c5"}) {
      CMove move;
      ASSERT_EQ(MoveFromIccs(game.Position(), iccs, move), 1);
      ASSERT_EQ(game.PlayMove(move, 0), 1) << iccs;
    }
    ASSERT_EQ(game.Record().Length, kBlunderPly + 1);
  }
  static CReviewSettings FixedDepth(int depth) {
    CReviewSettings settings;
    settings.MaxDepth = depth;
    settings.MoveTimeMs = 600000;  // the depth ends every search
    return settings;
  }
};

TEST_F(GameReviewTest, PlantedChariotLossIsTheOnlyBlunderAndGoesIntoTheSavedGame) {
  LoadPlantedGame();
  CGame& game = *SharedGame;
  CPosition start;
  int redToMove = 0;
  std::vector<CMove> moves;
  GameMoves(game, start, redToMove, moves);
  EXPECT_EQ(redToMove, 1);
  EXPECT_EQ(start.Fen(1), CPosition().Fen(1));

  CJobControl control;
  std::vector<long long> done;
  control.OnProgress = [&](const CJobProgress& progress) {
    done.push_back(progress.Done);
    EXPECT_EQ(progress.Total, kBlunderPly + 2);
  };
  CReviewSettings settings = FixedDepth(5);
  settings.WriteComments = true;
  CGameReview review;
  ASSERT_FALSE(ReviewGame(game, settings, control, review));
  EXPECT_FALSE(review.Stopped);
  ASSERT_EQ(review.Moves.size(), static_cast<size_t>(kBlunderPly + 1));
  ASSERT_FALSE(done.empty());
  EXPECT_EQ(done.back(), kBlunderPly + 2);

  for (const CMoveReview& move : review.Moves) {
    SCOPED_TRACE("ply " + std::to_string(move.Ply));
    EXPECT_EQ(move.RedMoved, move.Ply % 2 == 1);
    EXPECT_EQ(move.Notation, std::string(game.Record()[move.Ply - 1].Notation));
    EXPECT_GE(move.Loss, 0);
    EXPECT_EQ(move.Loss, std::max(0, move.MoverBefore() - move.MoverAfter()));
    if (move.Ply == kBlunderPly) {
      EXPECT_EQ(move.Mark, CReviewMark::Blunder);
      EXPECT_EQ(MoveToIccs(move.Played), "c4c5");
      EXPECT_NE(MoveToIccs(move.Best), "c4c5");
      EXPECT_FALSE(move.BestNotation.empty());
    } else {
      EXPECT_LT(move.Loss, BLUNDER_LOSS);
    }
  }
  EXPECT_EQ(review.Blunders[0], 1);
  EXPECT_EQ(review.Blunders[1], 0);

  // The loss is about the chariot the material count says went.
  CPosition before = start, after = start;
  for (int i = 0; i < kBlunderPly - 1; ++i) before.MakeMove(moves[i]);
  for (int i = 0; i < kBlunderPly + 1; ++i) after.MakeMove(moves[i]);
  const int materialLoss = MaterialBalance(before) - MaterialBalance(after);
  EXPECT_EQ(materialLoss, 900);
  const CMoveReview& blunder = review.Moves[kBlunderPly - 1];
  EXPECT_GE(blunder.Loss, materialLoss * 6 / 10);
  EXPECT_LE(blunder.Loss, materialLoss * 15 / 10);
  // Taking the chariot was the engine's own choice.
  EXPECT_EQ(review.Moves[kBlunderPly].Loss, 0);

  // The comments: the blunder's, the game's own kept, saved and read back.
  const std::string path = Home->Path() + "reviewed.pgn";
  ASSERT_EQ(game.SavePgn(path), 1);
  ASSERT_EQ(game.LoadPgn(path), 1);
  const std::string blunderComment = Gb2312ToUtf8(game.Record()[kBlunderPly - 1].Comment);
  EXPECT_EQ(blunderComment.rfind("复盘：败着", 0), 0u) << blunderComment;
  EXPECT_NE(blunderComment.find("较好："), std::string::npos);
  EXPECT_EQ(Gb2312ToUtf8(game.Record()[3].Comment).rfind("好棋", 0), 0u);
  for (const CMoveReview& move : review.Moves) {
    const std::string comment = Gb2312ToUtf8(game.Record()[move.Ply - 1].Comment);
    EXPECT_EQ(comment.find("复盘") != std::string::npos, move.Mark != CReviewMark::None) << move.Ply;
  }

  // A second review replaces its line rather than adding another.
  WriteReviewComments(game, review);
  const std::string again = Gb2312ToUtf8(game.Record()[kBlunderPly - 1].Comment);
  EXPECT_EQ(again, blunderComment);
}

TEST_F(GameReviewTest, AnOutsideEngineFindsThePlantedBlunderToo) {
  const char* engine = "/usr/games/fairy-stockfish";
  if (!std::filesystem::exists(engine)) GTEST_SKIP() << engine << " is not installed";
  LoadPlantedGame();
  CReviewSettings settings = FixedDepth(8);
  settings.EngineCommand = engine;
  CJobControl control;
  CGameReview review;
  ASSERT_FALSE(ReviewGame(*SharedGame, settings, control, review));
  ASSERT_EQ(review.Moves.size(), static_cast<size_t>(kBlunderPly + 1));
  // Its centipawns are its own (larger than ours): the chariot stands out
  // as the game's largest loss by far.
  const CMoveReview& blunder = review.Moves[kBlunderPly - 1];
  EXPECT_EQ(blunder.Mark, CReviewMark::Blunder);
  EXPECT_GE(blunder.Loss, 900 * 6 / 10);
  for (const CMoveReview& move : review.Moves) {
    if (move.Ply != kBlunderPly) {
      EXPECT_LT(move.Loss * 2, blunder.Loss) << move.Ply;
    }
  }
  // A program that ends at once is refused, naming the setting.
  settings.EngineCommand = "true";
  const CJobError error = ReviewGame(*SharedGame, settings, control, review);
  EXPECT_EQ(error.Setting, "EngineCommand");
}

TEST_F(GameReviewTest, StopRequestEndsAReviewInTheMiddleOfASearch) {
  LoadPlantedGame();
  CJobControl control;
  long long reported = -1;
  control.OnProgress = [&](const CJobProgress& progress) { reported = progress.Done; };
  CReviewSettings settings;  // no depth limit and 20 s a position: only the stop ends it sooner
  settings.MoveTimeMs = 20000;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    control.RequestStop();
  });
  CGameReview review;
  const auto start = std::chrono::steady_clock::now();
  const CJobError error = ReviewGame(*SharedGame, settings, control, review);
  // Ended by the stop, not by the first search's own 20 s.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  stopper.join();
  ASSERT_FALSE(error);
  EXPECT_TRUE(review.Stopped);
  EXPECT_TRUE(review.Moves.empty());
  EXPECT_EQ(reported, 0);
}

TEST(GameReviewSettings, MarksAndRefusedSettings) {
  const struct {
    int Loss;
    CReviewMark Mark;
  } marks[] = {{0, CReviewMark::None},      {99, CReviewMark::None},      {100, CReviewMark::Mistake},
               {299, CReviewMark::Mistake}, {300, CReviewMark::Blunder}, {30000, CReviewMark::Blunder}};
  for (const auto& row : marks) EXPECT_EQ(MarkOfLoss(row.Loss), row.Mark) << row.Loss;
  EXPECT_STREQ(MarkName(CReviewMark::Mistake), "疑问手");
  EXPECT_STREQ(MarkName(CReviewMark::Blunder), "败着");

  EXPECT_FALSE(CheckReviewSettings(CReviewSettings {}));
  const struct {
    void (*Change)(CReviewSettings&);
    const char* Setting;
  } refused[] = {
      {[](CReviewSettings& s) { s.MoveTimeMs = 9; }, "MoveTimeMs"},
      {[](CReviewSettings& s) { s.MoveTimeMs = 600001; }, "MoveTimeMs"},
      {[](CReviewSettings& s) { s.MaxDepth = 0; }, "MaxDepth"},
      {[](CReviewSettings& s) { s.MaxDepth = DEFAULT_MAX_DEPTH + 1; }, "MaxDepth"},
      {[](CReviewSettings& s) { s.EvalModel = 2; }, "EvalModel"},
  };
  for (const auto& row : refused) {
    CReviewSettings settings;
    row.Change(settings);
    const CJobError error = CheckReviewSettings(settings);
    EXPECT_EQ(error.Fault, CJobFault::OutOfRange) << row.Setting;
    EXPECT_EQ(error.Setting, row.Setting);
  }
}

}  // namespace
