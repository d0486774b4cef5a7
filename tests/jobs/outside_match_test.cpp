// A match game against a scripted outside program that breaks the rules:
// an illegal move or silence loses the game for it, whichever colour it
// plays, and the note says why.
#include <gtest/gtest.h>

#include "jobs/match_job.h"
#include "jobs/outside_match.h"
#include "outside_job_fixture.h"

namespace {

TEST_F(OutsideJobTest, MatchGameIsLostByTheOutsideProgramsIllegalMoveOrSilence) {
  struct Case {
    CScriptStep Step;
    bool WeAreRed;
    const char* Result;
    const char* Note;
  };
  // a0a5 is no move for either side: red's chariot would pass its own pawn,
  // and it is no black piece.
  const Case cases[] = {
      {Play("a0a5"), true, "1-0", "illegal move from Scripted: a0a5"},
      {Play("a0a5"), false, "0-1", "illegal move from Scripted: a0a5"},
      {Step(CScriptStep::Silent), true, "1-0", "Scripted did not answer in time"},
      {Step(CScriptStep::Silent), false, "0-1", "Scripted did not answer in time"},
  };
  for (const Case& c : cases) {
    CScriptedOutsideEngine script;
    script.Script = {c.Step};
    CMatchGame played;
    played.WeAreRed = c.WeAreRed;
    std::string error;
    ASSERT_EQ(PlayMatchGame(*game, script, 1000, nullptr, played, error), 1) << error;
    EXPECT_EQ(played.Result, c.Result) << c.Note;
    EXPECT_EQ(played.Note, c.Note);
    EXPECT_EQ(played.MoveCount, c.WeAreRed ? 1 : 0) << c.Note;
    EXPECT_EQ(MatchScore(played), 1.0) << c.Note;
  }
}

// The match job: colours alternate from our engine red, the score is
// counted from our side, each game keeps only its own tags, and a stop
// after a game ends the match there.
TEST_F(OutsideJobTest, MatchJobAlternatesColoursCountsOurScoreAndStopsWhenAsked) {
  CScriptedOutsideEngine script;
  script.AfterScript = Step(CScriptStep::Silent);  // it loses every game by silence
  CMatchSettings settings;
  settings.Games = 5;
  settings.EvalModel = EVAL_MODEL_DEFAULT;
  settings.Outside.MoveTimeMs = 50;
  settings.OutDir = Root;
  game->Event = "BGN World Xiangqi Challenge 2002";
  std::vector<std::string> colours;
  CMatchHooks matchHooks;
  matchHooks.GameEnded = [&](int, const CMatchGame& played, const std::string& path) {
    colours.push_back(played.WeAreRed ? "red" : "black");
    EXPECT_EQ(ReadText(path).find("BGN"), std::string::npos);
  };
  CJobControl control;
  CJobProgress last;
  control.OnProgress = [&](const CJobProgress& now) {
    last = now;
    if (now.Done == 3) control.RequestStop();
  };
  EXPECT_FALSE(RunMatch(*game, settings, matchHooks, control, &script));
  EXPECT_EQ(colours, (std::vector<std::string> {"red", "black", "red"}));
  EXPECT_EQ(last.Total, 5);
  EXPECT_EQ(last.Wins, 3);
  EXPECT_EQ(last.Draws + last.Losses, 0);
  EXPECT_EQ(SavedFiles().size(), 3u);

  settings.Games = 0;
  EXPECT_EQ(RunMatch(*game, settings, matchHooks, control, &script).Setting, "Games");
}

}  // namespace
