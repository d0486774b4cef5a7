#include "jobs/saved_game_training.h"

#include "game/game.h"

CSavedGameStep SaveAndTrain(CGame& game, const std::string& path, const CGameTrainingValues& values,
                            CGameTrainingHooks& hooks, const CTrainingRunGuard& run) {
  if (!game.SavePgn(path)) {
    hooks.Error = "cannot write " + path;
    return CSavedGameStep::Failed;
  }
  if (!hooks.Trainer) return CSavedGameStep::Done;
  if (!hooks.Trainer(game, path, values)) {
    if (run.StopRequested()) return CSavedGameStep::Stopped;
    hooks.Error = "training on " + path + " failed";
    return CSavedGameStep::Failed;
  }
  if (++hooks.TrainedSinceSave >= values.AutoSaveCount && !SaveTrainedNetworks(hooks))
    return CSavedGameStep::Failed;
  return CSavedGameStep::Done;
}

int SaveTrainedNetworks(CGameTrainingHooks& hooks) {
  if (hooks.TrainedSinceSave == 0 || !hooks.SaveNetworks) return 1;
  if (!hooks.SaveNetworks()) {
    hooks.Error = "the trained networks cannot be written";
    return 0;
  }
  hooks.TrainedSinceSave = 0;
  return 1;
}
