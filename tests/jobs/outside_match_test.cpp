// A match game against a scripted outside program that breaks the rules:
// an illegal move or silence loses the game for it, whichever colour it
// plays, and the note says why.
#include <gtest/gtest.h>

#include <cstring>

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

// Varied openings: each pair of games starts from one position reached by
// random plies, our engine red in the first and black in the second; the
// next pair draws another, and a seed gives the same openings again.
TEST_F(OutsideJobTest, MatchPairsShareARandomOpeningThatTheSeedFixes) {
  CScriptedOutsideEngine script;
  script.AfterScript = Step(CScriptStep::Silent);
  CMatchSettings settings;
  settings.Games = 4;
  settings.EvalModel = EVAL_MODEL_DEFAULT;
  settings.Outside.MoveTimeMs = 50;
  settings.RandomPlies = 6;
  settings.Seed = 5;
  settings.OutDir = Root;
  const auto openings = [&] {
    std::vector<std::string> fens;
    CMatchHooks saved;
    saved.GameEnded = [&](int, const CMatchGame&, const std::string& path) {
      const std::string text = ReadText(path);
      const size_t at = text.find("[FEN \"");
      fens.push_back(at == std::string::npos ? "" : text.substr(at + 6, text.find('"', at + 6) - at - 6));
    };
    CJobControl control;
    EXPECT_FALSE(RunMatch(*game, settings, saved, control, &script));
    return fens;
  };
  const std::vector<std::string> first = openings();
  ASSERT_EQ(first.size(), 4u);
  EXPECT_EQ(first[0], first[1]);
  EXPECT_EQ(first[2], first[3]);
  EXPECT_NE(first[0], first[2]);
  CPosition start;
  int red = 1;
  for (const std::string& fen : first) {
    ASSERT_TRUE(start.SetFromFen(fen.c_str(), red)) << fen;
    EXPECT_NE(std::memcmp(start.Board, InitialBoard.data(), sizeof start.Board), 0) << fen;
  }
  EXPECT_EQ(openings(), first);
  settings.RandomPlies = 41;
  CMatchHooks none;
  CJobControl control;
  EXPECT_EQ(RunMatch(*game, settings, none, control, &script).Setting, "RandomPlies");
}

}  // namespace
