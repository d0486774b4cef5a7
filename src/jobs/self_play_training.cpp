#include "jobs/self_play_training.h"

#include "engine/evaluator.h"
#include "jobs/saved_game_training.h"
#include "jobs/training_game_rules.h"
#include "jobs/training_run_guard.h"
#include "game/game.h"
#include "rules/pieces.h"

namespace {

// Puts the evaluation model of the start back, however the run ends.
struct CModelRestore {
  CEvaluator& Evaluator;
  int Model;
  ~CModelRestore() { Evaluator.EvalModel = Model; }
};

}  // namespace

int SelfPlayTraining(CGame& game, const CGameTrainingValues& values, CGameTrainingHooks& hooks) {
  CEvaluator& evaluator = game.Engine.Evaluator;
  const int startModel = evaluator.EvalModel;
  CModelRestore restoreModel {evaluator, startModel};
  CTrainingRunGuard run(game, hooks.Control);
  auto refresh = [&] {
    if (hooks.Refresh) hooks.Refresh();
  };
  const CGameRecord& record = game.Record();

  for (int i = 1; i <= values.MaxTrainCount && !run.StopRequested(); ++i) {
    const bool networkIsRed = i % 2 == 0;
    // The game carries its own tags only, none left from the game before.
    game.ResetTags(networkIsRed ? "TdbpAnn" : "Default", networkIsRed ? "Default" : "TdbpAnn");
    game.HumanPlaysRed = networkIsRed ? 0 : 1;
    evaluator.EvalModel = networkIsRed ? EVAL_MODEL_ANN : startModel;
    // With the network red, this plays red's first move already.
    if (!game.NewGame(InitialBoard.data(), 1)) {
      hooks.Error = "game " + std::to_string(i) + " cannot be started";
      return 0;
    }
    refresh();

    CTrainingGameReport report;
    report.Index = i;
    report.Red = game.Red;
    report.Black = game.Black;
    report.TrainedSideRed = networkIsRed;
    bool dropped = false;
    while (record.Length < values.MaxMoveCount && !run.StopRequested()) {
      if (QuietMoveCount(record) > values.MaxUncapMoveCount) {
        game.Result = AdjudicateByMaterial(game.Position(), values.MinDeltaPieceCount);
        dropped = game.Result != "1/2-1/2";
        report.Note = dropped ? "decided by material: dropped" : "drawn by material";
        break;
      }
      // The starting model plays the side named "Default", the network the other.
      evaluator.EvalModel = startModel;
      if (!game.ComputerMove()) break;
      refresh();
      evaluator.EvalModel = EVAL_MODEL_ANN;
      if (!game.ComputerMove()) break;
      refresh();
    }
    report.Result = game.Result;
    report.MoveCount = record.Current + 1;
    if (run.StopRequested()) break;  // an unfinished game is not saved

    if (!dropped && IsCulledDraw(values.CullDraw, game.Result)) report.Note = "draw: culled";
    if (!dropped && report.Note != "draw: culled") {
      report.Path = CaseFilePath(values.RootDir, game.Result, networkIsRed, report.MoveCount);
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
