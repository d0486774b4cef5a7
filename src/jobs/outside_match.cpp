#include "jobs/outside_match.h"

#include "jobs/outside_engine.h"
#include "jobs/outside_training.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/pieces.h"

int PlayMatchGame(CGame& game, COutsideEngine& outside, int replyWaitMs, const std::function<bool()>& stop,
                  CMatchGame& played, std::string& error, const CMatchStart& start) {
  const bool weAreRed = played.WeAreRed;
  game.HumanVsHuman = 0;
  game.HumanPlaysRed = weAreRed ? 0 : 1;  // the outside program stands in for the person
  game.Red = weAreRed ? "Tarvo" : outside.Name();
  game.Black = weAreRed ? outside.Name() : "Tarvo";
  if (!game.NewGame(start.Board ? start.Board : InitialBoard.data(), start.Board ? start.RedToMove : 1)) {
    error = "a new game cannot be started";
    return 0;
  }
  if (!outside.NewGame(game.FEN, weAreRed ? COutsideSides::Black : COutsideSides::Red)) {
    error = outside.Error();
    return 0;
  }
  const CGameRecord& record = game.Record();
  const char* outsideLoses = weAreRed ? "1-0" : "0-1";
  while (game.Result == "*") {
    if (stop && stop()) {
      played.Stopped = true;
      break;
    }
    if ((game.RedToMove != 0) == weAreRed) {
      if (!game.ComputerMove() && game.Result == "*") {
        if (stop && stop()) {
          played.Stopped = true;
          break;
        }
        game.Result = "1/2-1/2";
        played.Note = "no move could be played";
      }
      continue;
    }
    if (record.Current >= 0) outside.HandOver(MoveToIccs(record[record.Current].Move));
    std::string reply;
    const COutsideAnswer answer = outside.Reply(replyWaitMs, reply, stop);
    if (answer == COutsideAnswer::Stopped) {
      played.Stopped = true;
      break;
    }
    if (answer == COutsideAnswer::Gone) {
      error = outside.Error();
      return 0;
    }
    if (answer == COutsideAnswer::GameOver) {
      game.Result = outsideLoses;
    } else if (answer == COutsideAnswer::TimeOut) {
      game.Result = outsideLoses;
      played.Note = outside.Name() + " did not answer in time";
    } else {
      CMove move;
      if (!ReadOutsideMove(game, reply, move)) {
        game.Result = outsideLoses;
        played.Note = "illegal move from " + outside.Name() + ": " + reply;
      } else if (!game.PlayMove(move, 0) && game.Result == "*") {
        game.Result = "1/2-1/2";  // the record is full
        played.Note = "the record is full";
      }
    }
  }
  played.Result = game.Result;
  played.MoveCount = record.Current + 1;
  return 1;
}

double MatchScore(const CMatchGame& played) {
  if (played.Result == "1/2-1/2") return 0.5;
  const bool redWon = played.Result == "1-0";
  if (!redWon && played.Result != "0-1") return 0.5;
  return redWon == played.WeAreRed ? 1.0 : 0.0;
}
