// Record checking over a scripted outside program: endless games, the
// verdict, silence, bad replies, files that do not load, stop requests,
// the walk order and the game object put back afterwards.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/text_encoding.h"
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

TEST_F(RecordCheckTest, NoMoveWhereLegalMovesExistIsAnEngineFaultAndSilenceLeavesTheGameAsPlayed) {
  const std::string first = CopyGame("game01.pgn", "a.pgn");
  const std::string second = CopyGame("game02.pgn", "b.pgn");
  const std::string firstBefore = ReadText(first);
  outside.Script = {Step(CScriptStep::GameOver), Step(CScriptStep::Legal), Step(CScriptStep::Silent)};
  ASSERT_EQ(Check(), 1);
  ASSERT_EQ(Done.size(), 2u);
  // game01 ends with black to move, and black has moves: "no move" is the
  // program's fault, not black's loss; the file stays as it was.
  EXPECT_EQ(Done[0].Path, first);
  EXPECT_EQ(Done[0].Outcome, "engine fault: no move given where legal moves exist");
  EXPECT_FALSE(Done[0].Written);
  EXPECT_EQ(ReadText(first), firstBefore);
  // game02 ends with red to move; whatever it plays, the silence ends it.
  EXPECT_EQ(Done[1].Outcome, "no reply");
  EXPECT_TRUE(Done[1].Written);
  EXPECT_EQ(Done[1].MovesAfter, 77);
  ASSERT_EQ(game->LoadPgn(second), 1);
  EXPECT_EQ(game->Record().Length, 77);
  EXPECT_EQ(outside.NewGameCount, 2);
  EXPECT_EQ(outside.StartCount, 1);
  EXPECT_GE(outside.EndCount, 1);
  EXPECT_EQ(checkHooks.Summary.Written, 1);
  EXPECT_EQ(checkHooks.Summary.LeftAsTheyWere, 1);
}

TEST_F(RecordCheckTest, ABadReplyLeavesTheFileAsItWasAndTheCheckGoesOn) {
  const std::string first = CopyGame("game02.pgn", "a.pgn");
  const std::string second = CopyGame("game02.pgn", "b.pgn");
  const std::string before = ReadText(first);
  outside.Script = {Play("zz"), Step(CScriptStep::Silent)};
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

TEST_F(RecordCheckTest, AFileNotReadWholeIsLeftAsItWasAndReported) {
  std::string five;
  for (const char* name : {"game01.pgn", "game02.pgn", "game03.pgn", "game04.pgn", "game05.pgn"})
    five += ReadText(TestDataPath(std::string("games/") + name)) + "\r\n";
  std::string illegal = ReadText(TestDataPath("games/game02.pgn"));
  const std::string third = Utf8ToGb18030("兵三进一");
  ASSERT_NE(illegal.find(third), std::string::npos);
  illegal.replace(illegal.find(third), third.size(), Utf8ToGb18030("车九进五"));  // ply 5 jumps its pawn
  const struct {
    const char* Name;
    std::string Text;
    const char* Why;
  } cases[] = {
      {"five.pgn", five, "another game"},
      {"two.pgn", ReadText(TestDataPath("games/game02.pgn")) + ReadText(TestDataPath("games/game01.pgn")),
       "another game"},
      {"illegal.pgn", illegal, "read 4 plies"},
  };
  for (const auto& c : cases) Write(Root + c.Name, c.Text);
  outside.AfterScript = Step(CScriptStep::Legal);
  ASSERT_EQ(Check(), 1) << checkHooks.Error;
  ASSERT_EQ(Done.size(), 3u);
  for (const auto& c : cases) {
    const auto report = std::find_if(Done.begin(), Done.end(), [&](const CCheckedFileReport& r) {
      return r.Path == Root + c.Name;
    });
    ASSERT_NE(report, Done.end()) << c.Name;
    EXPECT_EQ(report->Outcome.rfind("not read whole: ", 0), 0u) << report->Outcome;
    EXPECT_NE(report->Outcome.find(c.Why), std::string::npos) << report->Outcome;
    EXPECT_FALSE(report->Written) << c.Name;
    EXPECT_EQ(ReadText(Root + c.Name), c.Text) << c.Name;
  }
  EXPECT_EQ(outside.NewGameCount, 0);
  EXPECT_EQ(checkHooks.Summary.LeftAsTheyWere, 3);
  EXPECT_EQ(checkHooks.Summary.Written, 0);
}

TEST_F(RecordCheckTest, UnknownTagsSurviveAndAChangedResultIsCountedUnlessKept) {
  for (const int keep : {0, 1}) {
    const std::string path = Root + "tagged" + std::to_string(keep) + ".pgn";
    std::string text = ReadText(TestDataPath("games/game02.pgn"));
    text.insert(text.find("[Red "),
                "[Result \"0-1\"]\r\n[Annotator \"Wu\"]\r\n[TimeControl \"40/7200\"]\r\n");
    Write(path, text);
    game->NaturalLimitPlies = 0;  // the game is drawn as soon as it is played on
    checkValues.KeepDecisive = keep;
    checkHooks.Summary = {};
    Done.clear();
    ASSERT_EQ(Check(), 1) << checkHooks.Error;
    ASSERT_EQ(Done.size(), 1u);
    EXPECT_TRUE(Done[0].Written);
    EXPECT_EQ(Done[0].ResultBefore, "0-1");
    EXPECT_EQ(Done[0].Result, keep ? "0-1" : "1/2-1/2");
    EXPECT_EQ(checkHooks.Summary.ResultsChanged, keep ? 0 : 1);
    const std::string after = ReadText(path);
    EXPECT_NE(after.find("[Annotator \"Wu\"]"), std::string::npos) << after;
    EXPECT_NE(after.find("[TimeControl \"40/7200\"]"), std::string::npos) << after;
    EXPECT_NE(after.find(keep ? "[Result \"0-1\"]" : "[Result \"1/2-1/2\"]"), std::string::npos) << after;
    std::filesystem::remove(path);
  }
}

TEST_F(RecordCheckTest, TheJobRefusesBadSettingsByNameAndLeavesThePlayersGameAlone) {
  const struct {
    const char* Setting;
    void (*Spoil)(CRecordCheckValues&);
  } cases[] = {
      {"RootDir", [](CRecordCheckValues& v) { v.RootDir += "missing/"; }},
      {"MaxListCount", [](CRecordCheckValues& v) { v.MaxListCount = 0; }},
      {"MaxWaitTime", [](CRecordCheckValues& v) { v.MaxWaitTime = -1; }},
      {"MoveTime", [](CRecordCheckValues& v) { v.Outside.MoveTimeMs = 0; }},
  };
  CJobControl control;
  for (const auto& c : cases) {
    CRecordCheckValues spoilt;
    spoilt.RootDir = Root;
    c.Spoil(spoilt);
    EXPECT_EQ(RunRecordCheck(spoilt, checkHooks, control, &outside).Setting, c.Setting);
  }
  EXPECT_EQ(outside.StartCount, 0);

  game->Red = "The player";
  const std::string path = CopyGame("game02.pgn", "a.pgn");
  CopyGame("game01.pgn", "b.pgn");
  std::vector<CJobProgress> progress;
  control.OnProgress = [&](const CJobProgress& now) {
    progress.push_back(now);
    control.RequestStop();  // after the first file
  };
  outside.AfterScript = Step(CScriptStep::Silent);
  CRecordCheckValues settings;
  settings.RootDir = Root;
  EXPECT_FALSE(RunRecordCheck(settings, checkHooks, control, &outside));
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0].Done, 1);
  EXPECT_EQ(progress[0].Total, 2);
  EXPECT_EQ(progress[0].Current, path);
  EXPECT_EQ(game->Red, "The player");
}

}  // namespace

// Links back to "." or to a parent, and a second link to one folder, would
// otherwise loop for ever or check a file twice.
TEST_F(RecordCheckTest, EachRealFolderIsCheckedOnceWhateverLinksLeadToIt) {
  CopyGame("game01.pgn", "a/c.pgn");
  std::filesystem::create_directory_symlink(".", Root + "dot1");
  std::filesystem::create_directory_symlink(".", Root + "dot2");
  std::filesystem::create_directory_symlink(Root, Root + "a/up");
  std::filesystem::create_directory_symlink(Root + "a", Root + "b");
  outside.AfterScript = Step(CScriptStep::GameOver);
  ASSERT_EQ(Check(), 1) << checkHooks.Error;
  ASSERT_EQ(Done.size(), 1u);
  EXPECT_EQ(Done[0].Path, Root + "a/c.pgn");
}
