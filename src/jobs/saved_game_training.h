#pragma once
// The last step of every game a training run keeps: write the game to its
// case file, then let the networks learn from it; the networks reach their
// files after every AutoSaveCount trained games.
#include <string>

#include "jobs/game_training_hooks.h"
#include "jobs/training_run_guard.h"

enum class CSavedGameStep { Done, Stopped, Failed };

// Saves the game to `path` and trains on it. Failed sets hooks.Error; a
// training cut short by the run's stop request is Stopped, not Failed.
CSavedGameStep SaveAndTrain(CGame& game, const std::string& path, const CGameTrainingValues& values,
                            CGameTrainingHooks& hooks, const CTrainingRunGuard& run);

// Writes the networks when trained games are not in their files yet. 1, or 0
// with hooks.Error.
int SaveTrainedNetworks(CGameTrainingHooks& hooks);
