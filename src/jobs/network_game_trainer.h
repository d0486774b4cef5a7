#pragma once
// The trainer game training uses for real: the game's networks learn from
// the saved game file, with the fixed parts of the parameter block (1 GiB
// pattern list, overflow test every 1000 at 0.8, all networks, one relearn
// pass, one thread) and the run's own values. The run writes the networks
// itself after every AutoSaveCount games, so the passes over one game write
// no snapshots.
#include "jobs/game_training_hooks.h"

// TrainingIdle of the game, read as the stop request, ends a training early.
CGameTrainer MakeNetworkGameTrainer();

// Writes the game's networks to the data folder's eval000.ann, ..., where
// batch training writes them too (ann/, the ones the engine plays with, is
// left to the user).
std::function<int()> MakeNetworkSaver(CGame& game);
