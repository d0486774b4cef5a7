// Game training (self-play and against a scripted outside program) over
// every branch: replies played, silence, bad and illegal replies, the
// end-of-game verdict, short games, adjudication, culled draws, tags by
// game parity, stop requests and failures.
#include <gtest/gtest.h>

#include "engine/evaluator.h"
#include "jobs/outside_training.h"
#include "jobs/self_play_training.h"
#include "jobs/training_game_rules.h"
#include "outside_job_fixture.h"
#include "rules/iccs.h"

namespace {

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

std::string StartFen() { return "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1"; }

TEST_F(OutsideJobTest, RepliesArePlayedAndSilenceGivesTheGameAwayByTheListParity) {
  outside.Script = {Play("h2e2")};
  outside.AfterScript = Step(CScriptStep::Silent);
  values.MaxTrainCount = 2;
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1) << hooks.Error;
  ASSERT_EQ(Reports.size(), 2u);

  // Game 1 (odd): the outside program is red and opens h2e2; we answer; it
  // stays silent. Our unanswered move is taken back; the list held three
  // lines (two moves and one more), odd, so black, this program, wins.
  const CTrainingGameReport& first = Reports[0];
  EXPECT_EQ(first.Red, "Scripted");
  EXPECT_EQ(first.Black, "Velmora");
  EXPECT_EQ(first.Result, "0-1");
  EXPECT_EQ(first.MoveCount, 1);
  EXPECT_TRUE(StartsWith(first.Path, Root + "case_win_001_")) << first.Path;
  const std::string text = ReadText(first.Path);
  EXPECT_NE(text.find("[Red \"Scripted\"]"), std::string::npos);
  EXPECT_NE(text.find("[Black \"Velmora\"]"), std::string::npos);
  EXPECT_NE(text.find("[Result \"0-1\"]"), std::string::npos);

  // Game 2 (even): we are red and open; it is silent at once. The list held
  // two lines, even: red, this program, wins; the game keeps no move.
  const CTrainingGameReport& second = Reports[1];
  EXPECT_EQ(second.Red, "Velmora");
  EXPECT_EQ(second.Black, "Scripted");
  EXPECT_EQ(second.Result, "1-0");
  EXPECT_EQ(second.MoveCount, 0);
  EXPECT_TRUE(StartsWith(second.Path, Root + "case_win_000_")) << second.Path;
  EXPECT_EQ(Trained, (std::vector<std::string> {first.Path, second.Path}));

  // It was told the start position, its side, and our first move.
  EXPECT_EQ(outside.NewGameCount, 2);
  EXPECT_EQ(outside.Fen, StartFen());
  EXPECT_EQ(outside.Sides, COutsideSides::Black);
  ASSERT_EQ(outside.Moves.size(), 1u);
  EXPECT_EQ(game->Record().Length, 1);  // the taken-back move can still be redone
  EXPECT_EQ(outside.Moves[0], MoveToIccs(game->Record()[0].Move));
  EXPECT_GE(outside.EndCount, 1);
}

TEST_F(OutsideJobTest, TheFirstGameIsOddWithTheOutsideProgramRedAndItsRepliesPlayed) {
  outside.Script = {Play("h2e2"), Play("h0g2"), Step(CScriptStep::Silent)};
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1) << hooks.Error;
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(outside.NewGameCount, 1);
  EXPECT_EQ(outside.Sides, COutsideSides::Red);
  // Its two moves were played on the game, our answers handed over.
  const CGameRecord& record = game->Record();
  ASSERT_GE(record.Length, 4);
  EXPECT_EQ(MoveToIccs(record[0].Move), "h2e2");
  EXPECT_EQ(MoveToIccs(record[2].Move), "h0g2");
  ASSERT_EQ(outside.Moves.size(), 4u);
  EXPECT_EQ(outside.Moves[1], MoveToIccs(record[1].Move));
  EXPECT_EQ(outside.Moves[3], MoveToIccs(record[3].Move));
  EXPECT_EQ(Reports[0].MoveCount, 3);
  EXPECT_EQ(Reports[0].Result, "0-1");
}

TEST_F(OutsideJobTest, AReplyThatIsNoLegalMoveDropsTheGame) {
  // Not a move; a chariot through its own pawn; the other side's cannon; a
  // king leaving its palace.
  for (const char* reply : {"zz", "a0a5", "h7e7", "e0e2", "h2e2 "}) {
    CScriptedOutsideEngine script;
    script.Script = {Play(reply)};
    Reports.clear();
    ASSERT_EQ(OutsideTraining(*game, script, values, hooks), 1) << reply;
    ASSERT_EQ(Reports.size(), 1u) << reply;
    EXPECT_TRUE(Reports[0].Path.empty()) << reply;
    EXPECT_NE(Reports[0].Note.find("not a legal move"), std::string::npos) << Reports[0].Note;
  }
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_TRUE(Trained.empty());
}

TEST_F(OutsideJobTest, TheEndOfGameVerdictSetsTheResultWithoutTakingBack) {
  outside.Script = {Play("h2e2"), Step(CScriptStep::GameOver)};
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 1u);
  // Red, the outside program, had no move after our answer: black wins.
  EXPECT_EQ(Reports[0].Result, "0-1");
  EXPECT_EQ(Reports[0].MoveCount, 2);
  EXPECT_TRUE(StartsWith(Reports[0].Path, Root + "case_win_002_"));
  EXPECT_NE(Reports[0].Note.find("has no move"), std::string::npos);
}

TEST_F(OutsideJobTest, MinStatusCountDropsAShortGame) {
  outside.Script = {Play("h2e2"), Step(CScriptStep::GameOver)};
  values.MinStatusCount = 3;
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_TRUE(Reports[0].Path.empty());
  EXPECT_NE(Reports[0].Note.find("too short"), std::string::npos);
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_TRUE(Trained.empty());
}

TEST_F(OutsideJobTest, AdjudicationDropsADecidedGameAndFilesADrawnOne) {
  values.MaxUncapMoveCount = -1;  // adjudicate at once
  values.MinDeltaPieceCount = -1;  // even material counts as red's win
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0].Result, "1-0");
  EXPECT_TRUE(Reports[0].Path.empty());
  EXPECT_NE(Reports[0].Note.find("dropped"), std::string::npos);

  values.MinDeltaPieceCount = 0;
  Reports.clear();
  ASSERT_EQ(SelfPlayTraining(*game, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0].Result, "1/2-1/2");
  EXPECT_TRUE(StartsWith(Reports[0].Path, Root + "case_draw_000_")) << Reports[0].Path;
}

TEST_F(OutsideJobTest, CullDrawWritesNoDrawFile) {
  values.CullDraw = 1;
  values.MaxUncapMoveCount = -1;
  values.MinDeltaPieceCount = 16;  // always drawn by material
  values.MaxTrainCount = 2;
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1);
  ASSERT_EQ(SelfPlayTraining(*game, values, hooks), 1);
  // A game stopped undecided at the move limit would be filed as a draw too.
  values.MaxUncapMoveCount = 80;
  values.MaxMoveCount = 2;
  ASSERT_EQ(SelfPlayTraining(*game, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 6u);
  for (const auto& report : Reports) {
    EXPECT_TRUE(report.Path.empty()) << report.Path;
    EXPECT_NE(report.Note.find("culled"), std::string::npos) << report.Note;
  }
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_TRUE(Trained.empty());
}

TEST_F(OutsideJobTest, SelfPlayOneGameIsOddWithTheRightTagsModelsAndRestoredOptions) {
  game->HumanVsHuman = 1;
  game->SpeakMoves = 1;
  values.MaxMoveCount = 4;
  std::vector<int> models;
  std::vector<int> lengths;
  hooks.Refresh = [&] {
    models.push_back(game->Engine.Evaluator.EvalModel);
    lengths.push_back(game->Record().Length);
    EXPECT_EQ(game->TrainingIdle.load(), 0);
    EXPECT_EQ(game->HumanVsHuman, 0);
    EXPECT_EQ(game->SpeakMoves, 0);
  };
  ASSERT_EQ(SelfPlayTraining(*game, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0].Red, "Default");
  EXPECT_EQ(Reports[0].Black, "TdbpAnn");
  EXPECT_EQ(Reports[0].MoveCount, 4);
  const std::string text = ReadText(Reports[0].Path);
  EXPECT_NE(text.find("[Red \"Default\"]"), std::string::npos);
  EXPECT_NE(text.find("[Black \"TdbpAnn\"]"), std::string::npos);
  EXPECT_EQ(Trained, std::vector<std::string> {Reports[0].Path});
  // Refreshed after the new game and after every move; red moved with the
  // starting model, black with the network.
  EXPECT_EQ(lengths, (std::vector<int> {0, 1, 2, 3, 4}));
  EXPECT_EQ(models, (std::vector<int> {EVAL_MODEL_DEFAULT, EVAL_MODEL_DEFAULT, EVAL_MODEL_ANN,
                                       EVAL_MODEL_DEFAULT, EVAL_MODEL_ANN}));
  EXPECT_EQ(game->HumanVsHuman, 1);
  EXPECT_EQ(game->SpeakMoves, 1);
  EXPECT_EQ(game->TrainingIdle.load(), 1);
  EXPECT_EQ(game->Engine.Evaluator.EvalModel, EVAL_MODEL_DEFAULT);
  EXPECT_EQ(game->HumanPlaysRed, 1);  // the last game's value stays
}

TEST_F(OutsideJobTest, SelfPlayEvenGameHasTheNetworkRedMovingFirst) {
  values.MaxMoveCount = 3;
  values.MaxTrainCount = 2;
  std::vector<std::pair<int, int>> refreshes;  // (length, model)
  hooks.Refresh = [&] { refreshes.emplace_back(game->Record().Length, game->Engine.Evaluator.EvalModel); };
  ASSERT_EQ(SelfPlayTraining(*game, values, hooks), 1);
  ASSERT_EQ(Reports.size(), 2u);
  EXPECT_EQ(Reports[1].Red, "TdbpAnn");
  EXPECT_EQ(Reports[1].Black, "Default");
  // The second game's first refresh comes after the new game, which already
  // holds the network's first move.
  const size_t secondStart = 1 + 4;  // the first game: new game and 4 moves
  ASSERT_GT(refreshes.size(), secondStart);
  EXPECT_EQ(refreshes[secondStart], std::make_pair(1, EVAL_MODEL_ANN));
  EXPECT_EQ(game->HumanPlaysRed, 0);
  EXPECT_EQ(game->Engine.Evaluator.EvalModel, EVAL_MODEL_DEFAULT);
}

TEST_F(OutsideJobTest, AStopRequestEndsTheRunWithoutSavingTheGameInHand) {
  int refreshes = 0;
  hooks.Refresh = [&] {
    if (++refreshes == 3) game->TrainingIdle = 1;
  };
  values.MaxTrainCount = 5;
  ASSERT_EQ(SelfPlayTraining(*game, values, hooks), 1);
  EXPECT_TRUE(Reports.empty());
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_EQ(game->TrainingIdle.load(), 1);

  outside.OnReply = [&](int count) {
    if (count == 2) game->TrainingIdle = 1;
  };
  outside.AfterScript = Step(CScriptStep::Silent);
  outside.Script = {Play("h2e2")};
  ASSERT_EQ(OutsideTraining(*game, outside, values, hooks), 1);
  EXPECT_TRUE(Reports.empty());
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_EQ(outside.ReplyCount, 2);
  EXPECT_GE(outside.EndCount, 1);
}

TEST_F(OutsideJobTest, FailuresEndTheRunWithZeroAndRestoreTheOptions) {
  game->SpeakMoves = 1;
  outside.Answers = false;
  EXPECT_EQ(OutsideTraining(*game, outside, values, hooks), 0);
  EXPECT_FALSE(hooks.Error.empty());
  EXPECT_EQ(outside.NewGameCount, 0);

  CScriptedOutsideEngine leaving;
  leaving.Script = {Play("h2e2"), Step(CScriptStep::Exit)};
  EXPECT_EQ(OutsideTraining(*game, leaving, values, hooks), 0);
  EXPECT_TRUE(SavedFiles().empty());

  CScriptedOutsideEngine fine;
  fine.Script = {Play("h2e2"), Step(CScriptStep::GameOver)};
  hooks.Trainer = [](CGame&, const std::string&, const CGameTrainingValues&) { return 0; };
  hooks.Error.clear();
  EXPECT_EQ(OutsideTraining(*game, fine, values, hooks), 0);
  EXPECT_NE(hooks.Error.find("training on "), std::string::npos);
  EXPECT_EQ(SavedFiles().size(), 1u);  // saved, then the training failed
  EXPECT_EQ(game->SpeakMoves, 1);
  EXPECT_EQ(game->TrainingIdle.load(), 1);
}

TEST(TrainingGameRules, AdjudicationCountsPiecesOfRealPositions) {
  BuildMoveTables();
  CPosition position;
  int red = 1;
  // Red: king, two chariots, two horses, two cannons and five pawns (12);
  // black: king and four pawns (5).
  ASSERT_TRUE(position.SetFromFen("4k4/9/9/p1p1p1p2/9/9/P1P1P1P1P/1C5C1/9/RN2K2NR w - - 0 1", red));
  EXPECT_EQ(AdjudicateByMaterial(position, 6), "1-0");
  EXPECT_EQ(AdjudicateByMaterial(position, 7), "1/2-1/2");
  ASSERT_TRUE(position.SetFromFen("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/9/9/9/4K4 w - - 0 1", red));
  EXPECT_EQ(AdjudicateByMaterial(position, 6), "0-1");
  EXPECT_EQ(AdjudicateByMaterial(position, 15), "1/2-1/2");
}

TEST(TrainingGameRules, CaseFileNamesSayTheOutcomeFromOurSideAndNeverOverwrite) {
  ScopedTarvoHome home;
  const std::string first = CaseFilePath(home.Path(), "1-0", true, 57);
  const std::string name = first.substr(home.Path().size());
  EXPECT_TRUE(StartsWith(name, "case_win_057_")) << name;
  EXPECT_EQ(name.size(), std::string("case_win_057_2026_12_08_07_00_00.pgn").size());
  EXPECT_TRUE(StartsWith(CaseFilePath(home.Path(), "1-0", false, 3).substr(home.Path().size()), "case_loss_003_"));
  EXPECT_TRUE(StartsWith(CaseFilePath(home.Path(), "0-1", false, 3).substr(home.Path().size()), "case_win_003_"));
  EXPECT_TRUE(StartsWith(CaseFilePath(home.Path(), "*", false, 600).substr(home.Path().size()), "case_draw_600_"));
  std::ofstream(first) << "x";
  const std::string second = CaseFilePath(home.Path(), "1-0", true, 57);
  if (second.substr(0, second.size() - 6) == first.substr(0, first.size() - 4)) {  // same second
    EXPECT_EQ(second.substr(second.size() - 6), "_2.pgn");
  }
  EXPECT_NE(second, first);
}

}  // namespace
