#include "jobs/outside_training.h"

#include "engine/engine_position.h"
#include "jobs/outside_engine.h"
#include "jobs/saved_game_training.h"
#include "jobs/training_game_rules.h"
#include "jobs/training_run_guard.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/pieces.h"

namespace {

constexpr const char* kOurName = "Velmora";

// Ends the outside program however the run ends.
struct CEndOutside {
  COutsideEngine& Outside;
  ~CEndOutside() { Outside.End(); }
};

enum class CTrainingOutcome { Save, Drop, Stop, Fail };

}  // namespace

int ReadOutsideMove(CGame& game, const std::string& iccs, CMove& move) {
  if (!MoveFromIccs(game.Position(), iccs, move)) return 0;
  return IsLegalMove(game.Position(), game.RedToMove, move);
}

int PlayOutsideMove(CGame& game, const std::string& iccs) {
  CMove move;
  return ReadOutsideMove(game, iccs, move) && game.PlayMove(move, 1);
}

int OutsideTraining(CGame& game, COutsideEngine& outside, const CGameTrainingValues& values,
                    CGameTrainingHooks& hooks) {
  CEndOutside endOutside {outside};
  if (!outside.Start(values.MaxWaitTime)) {
    hooks.Error = outside.Error();
    return 0;
  }
  const std::string outsideName = outside.Name();
  CTrainingRunGuard run(game, hooks.Control);
  auto refresh = [&] {
    if (hooks.Refresh) hooks.Refresh();
  };
  auto stop = [&] { return run.StopRequested(); };
  const CGameRecord& record = game.Record();

  for (int i = 1; i <= values.MaxTrainCount && !run.StopRequested(); ++i) {
    const bool weAreRed = i % 2 == 0;
    // The game carries its own tags only, none left from the game before.
    game.ResetTags(weAreRed ? kOurName : outsideName, weAreRed ? outsideName : kOurName);
    game.HumanPlaysRed = weAreRed ? 0 : 1;
    if (!game.NewGame(InitialBoard.data(), 1)) {
      hooks.Error = "game " + std::to_string(i) + " cannot be started";
      return 0;
    }
    if (weAreRed) refresh();
    if (!outside.NewGame(game.FEN, weAreRed ? COutsideSides::Black : COutsideSides::Red)) {
      hooks.Error = outside.Error();
      return 0;
    }

    CTrainingGameReport report;
    report.Index = i;
    report.Red = game.Red;
    report.Black = game.Black;
    report.TrainedSideRed = weAreRed;
    CTrainingOutcome end = CTrainingOutcome::Save;
    bool verdictOrSilence = false;
    while (record.Length < values.MaxMoveCount) {
      if (run.StopRequested()) {
        end = CTrainingOutcome::Stop;
        break;
      }
      if (QuietMoveCount(record) > values.MaxUncapMoveCount) {
        game.Result = AdjudicateByMaterial(game.Position(), values.MinDeltaPieceCount);
        end = game.Result == "1/2-1/2" ? CTrainingOutcome::Save : CTrainingOutcome::Drop;
        report.Note = end == CTrainingOutcome::Drop ? "decided by material: dropped" : "drawn by material";
        break;
      }
      if (record.Current >= 0) outside.HandOver(MoveToIccs(record[record.Current].Move));
      std::string reply;
      const COutsideAnswer answer = outside.Reply(values.MaxWaitTime, reply, stop);
      if (answer == COutsideAnswer::Stopped) {
        end = CTrainingOutcome::Stop;
        break;
      }
      if (answer == COutsideAnswer::Gone) {
        hooks.Error = outside.Error().empty() ? outsideName + " has gone" : outside.Error();
        end = CTrainingOutcome::Fail;
        break;
      }
      if (answer == COutsideAnswer::GameOver) {
        // It has no move: the side to move, the outside program, has lost.
        game.Result = game.RedToMove ? "0-1" : "1-0";
        report.Note = outsideName + " has no move";
        verdictOrSilence = true;
        break;
      }
      if (answer == COutsideAnswer::TimeOut) {
        report.Note = outsideName + " did not answer in time";
        verdictOrSilence = true;
        break;
      }
      if (!PlayOutsideMove(game, reply)) {
        report.Note = "not a legal move from " + outsideName + ": " + reply;
        end = CTrainingOutcome::Drop;
        break;
      }
      refresh();
      if (!game.ComputerMove()) break;
      refresh();
    }
    if (end == CTrainingOutcome::Fail) return 0;
    if (end == CTrainingOutcome::Stop) break;
    if (verdictOrSilence) {
      if (game.Result == "*") {
        // No answer: take back the move it did not answer and give the game
        // to the side that did not move, by the parity of its move list
        // (one line per move and one more).
        const int listLines = record.Current + 2;
        game.Undo();
        game.Result = listLines % 2 == 1 ? "0-1" : "1-0";
      }
      if (record.Current + 1 < values.MinStatusCount) {
        end = CTrainingOutcome::Drop;
        report.Note += "; too short: dropped";
      }
    }
    report.Result = game.Result;
    report.MoveCount = record.Current + 1;
    if (end == CTrainingOutcome::Save && IsCulledDraw(values.CullDraw, game.Result)) {
      report.Note += report.Note.empty() ? "draw: culled" : "; draw: culled";
    } else if (end == CTrainingOutcome::Save) {
      report.Path = CaseFilePath(values.RootDir, game.Result, weAreRed, report.MoveCount);
      if (run.StopRequested()) break;
      const CSavedGameStep step = SaveAndTrain(game, report.Path, values, hooks, run);
      if (step == CSavedGameStep::Failed) return 0;
      if (step == CSavedGameStep::Stopped) {
        // The stop cut the training short, but the game was played and kept: it counts.
        if (hooks.GameEnded) hooks.GameEnded(report);
        break;
      }
    }
    if (hooks.GameEnded) hooks.GameEnded(report);
  }
  return 1;
}
