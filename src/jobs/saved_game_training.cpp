#include "jobs/saved_game_training.h"

#include "game/game.h"

CSavedGameStep SaveAndTrain(CGame& game, const std::string& path, const CGameTrainingValues& values,
                            CGameTrainingHooks& hooks, const CTrainingRunGuard& run) {
  if (!game.SavePgn(path)) {
    hooks.Error = "cannot write " + path;
    return CSavedGameStep::Failed;
  }
  if (hooks.Trainer && !hooks.Trainer(game, path, values)) {
    if (run.StopRequested()) return CSavedGameStep::Stopped;
    hooks.Error = "training on " + path + " failed";
    return CSavedGameStep::Failed;
  }
  return CSavedGameStep::Done;
}
