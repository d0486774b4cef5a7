// Record checking over a scripted outside program: endless games, the
// verdict, silence, bad replies, files that do not load, stop requests,
// the walk order and the game object put back afterwards.
#include <gtest/gtest.h>

#include "jobs/record_checking.h"
#include "outside_job_fixture.h"
#include "rules/iccs.h"
#include "rules/pieces.h"

namespace {

class RecordCheckTest : public OutsideJobTest {
 protected:
  void SetUp() override {
    OutsideJobTest::SetUp();
    checkHooks.FileDone = [this](const CCheckedFileReport& report) { Done.push_back(report); };
    game->CheckingIdle = 0;  // the caller clears it for the run
  }
  void TearDown() override { game->CheckingIdle = 1; }

  std::string CopyGame(const std::string& name, const std::string& as) {
    const std::string path = Root + as;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(TestDataPath("games/" + name), path);
    return path;
  }
  static void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  int Check() { return CheckRecords(*game, outside, Root, checkValues, checkHooks); }

  CRecordCheckValues checkValues;
  CRecordCheckHooks checkHooks;
  std::vector<CCheckedFileReport> Done;
};

TEST_F(RecordCheckTest, AnEndlessGameIsWrittenBackWithEveryDecisiveResultDrawn) {
  const std::string path = CopyGame("game02.pgn", "game02.pgn");
  {  // a decisive result to be replaced, in the tags as anywhere
    std::string text = ReadText(path);
    text.insert(text.find("[Red "), "[Result \"0-1\"]\r\n[Event2 \"1-0 and 0-1\"]\r\n");
    Write(path, text);
  }
  checkValues.MaxListCount = 80;  // game02 holds 76 plies
  ASSERT_EQ(Check(), 1) << checkHooks.Error;
  ASSERT_EQ(Done.size(), 1u);
  EXPECT_EQ(Done[0].Outcome, "endless");
  EXPECT_EQ(Done[0].MovesBefore, 76);
  EXPECT_EQ(Done[0].MovesAfter, 81);
  const std::string text = ReadText(path);
  EXPECT_EQ(text.find("1-0"), std::string::npos);
  EXPECT_EQ(text.find("0-1"), std::string::npos);
  EXPECT_NE(text.find("[Result \"1/2-1/2\"]"), std::string::npos);
  // The whole game was handed over, then played on for both sides.
  EXPECT_EQ(outside.Sides, COutsideSides::Both);
  EXPECT_EQ(outside.Moves.size(), 81u);
  ASSERT_EQ(game->LoadPgn(path), 1);
  EXPECT_EQ(game->Record().Length, 81);
  EXPECT_FALSE(std::filesystem::exists(path + ".check-tmp"));
}

TEST_F(RecordCheckTest, TheVerdictEndsTheGameAndSilenceLeavesItAsPlayed) {
  const std::string first = CopyGame("game01.pgn", "a.pgn");
  const std::string second = CopyGame("game02.pgn", "b.pgn");
  outside.Script = {Step(CScriptStep::GameOver), Step(CScriptStep::Legal), Step(CScriptStep::Silent)};
  ASSERT_EQ(Check(), 1);
  ASSERT_EQ(Done.size(), 2u);
  // game01 ends with black to move: black has no move and loses.
  EXPECT_EQ(Done[0].Path, first);
  EXPECT_EQ(Done[0].Outcome, "completed");
  EXPECT_EQ(Done[0].Result, "1-0");
  EXPECT_EQ(Done[0].MovesAfter, 127);
  EXPECT_NE(ReadText(first).find("[Result \"1-0\"]"), std::string::npos);
  // game02 ends with red to move; whatever it plays, the silence ends it.
  EXPECT_EQ(Done[1].Outcome, "no reply");
  EXPECT_TRUE(Done[1].Written);
  EXPECT_EQ(Done[1].MovesAfter, 77);
  ASSERT_EQ(game->LoadPgn(second), 1);
  EXPECT_EQ(game->Record().Length, 77);
  EXPECT_EQ(outside.NewGameCount, 2);
  EXPECT_EQ(outside.StartCount, 1);
  EXPECT_GE(outside.EndCount, 1);
}

TEST_F(RecordCheckTest, ABadReplyLeavesTheFileAsItWasAndTheCheckGoesOn) {
  const std::string first = CopyGame("game02.pgn", "a.pgn");
  const std::string second = CopyGame("game02.pgn", "b.pgn");
  const std::string before = ReadText(first);
  outside.Script = {Play("zz"), Step(CScriptStep::GameOver)};
  ASSERT_EQ(Check(), 1);
  ASSERT_EQ(Done.size(), 2u);
  EXPECT_EQ(Done[0].Outcome, "bad reply: zz");
  EXPECT_FALSE(Done[0].Written);
  EXPECT_EQ(ReadText(first), before);
  EXPECT_TRUE(Done[1].Written);
}

TEST_F(RecordCheckTest, AFileThatDoesNotLoadEndsTheCheckAndIsLeftUntouched) {
  CopyGame("game02.pgn", "a.pgn");
  const std::string broken = Root + "b.pgn";
  Write(broken, "[Event no quotes]\r\n\r\n 1. x\r\n");
  const std::string later = CopyGame("game01.pgn", "c.pgn");
  const std::string laterBefore = ReadText(later);
  outside.AfterScript = Step(CScriptStep::GameOver);
  EXPECT_EQ(Check(), 0);
  EXPECT_NE(checkHooks.Error.find(broken), std::string::npos) << checkHooks.Error;
  ASSERT_EQ(Done.size(), 1u);
  EXPECT_EQ(ReadText(broken), "[Event no quotes]\r\n\r\n 1. x\r\n");
  EXPECT_EQ(ReadText(later), laterBefore);
}

TEST_F(RecordCheckTest, AStopMidFileLeavesThatFileAndTheRestAsTheyWere) {
  const std::string first = CopyGame("game01.pgn", "a.pgn");
  const std::string second = CopyGame("game02.pgn", "b.pgn");
  const std::string firstBefore = ReadText(first), secondBefore = ReadText(second);
  outside.OnReply = [this](int count) {
    if (count == 3) game->CheckingIdle = 1;
  };
  EXPECT_EQ(Check(), 1);
  EXPECT_TRUE(Done.empty());
  EXPECT_EQ(ReadText(first), firstBefore);
  EXPECT_EQ(ReadText(second), secondBefore);
  EXPECT_EQ(outside.NewGameCount, 1);
}

TEST_F(RecordCheckTest, OnlyGameFilesAreTakenInNameOrderThroughSubfolders) {
  CopyGame("game02.pgn", "b.pgn");
  CopyGame("game01.pgn", "a/c.PGN");
  Write(Root + "notes.txt", "not a game");
  outside.AfterScript = Step(CScriptStep::GameOver);
  ASSERT_EQ(Check(), 1);
  ASSERT_EQ(Done.size(), 2u);
  EXPECT_EQ(Done[0].Path, Root + "a/c.PGN");
  EXPECT_EQ(Done[1].Path, Root + "b.pgn");
  EXPECT_EQ(ReadText(Root + "notes.txt"), "not a game");
}

TEST_F(RecordCheckTest, TheGameObjectIsPutBackAndAMissingProgramFailsTheCheck) {
  game->HumanPlaysRed = 1;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  CMove move;
  ASSERT_EQ(MoveFromIccs(game->Position(), "h2e2", move), 1);
  ASSERT_EQ(game->PlayMove(move, 0), 1);
  game->Red = "Someone";
  const std::string fen = game->FEN;
  const CPosition position = game->Position();

  const std::string path = CopyGame("game02.pgn", "a.pgn");
  const std::string before = ReadText(path);
  outside.Answers = false;
  EXPECT_EQ(Check(), 0);
  EXPECT_FALSE(checkHooks.Error.empty());
  EXPECT_EQ(ReadText(path), before);

  EXPECT_EQ(game->Red, "Someone");
  EXPECT_EQ(game->FEN, fen);
  EXPECT_EQ(game->RedToMove, 0);
  EXPECT_EQ(game->Record().Length, 1);
  EXPECT_EQ(MoveToIccs(game->Record()[0].Move), "h2e2");
  EXPECT_EQ(std::memcmp(game->Position().Board, position.Board, sizeof position.Board), 0);
}

}  // namespace
