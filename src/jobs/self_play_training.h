#pragma once
// Game training by self-play: the network ("TdbpAnn") against the
// evaluation model in use when the run starts ("Default"), colours swapped
// every game. Each finished game is saved into RootDir and trained on.
#include "jobs/game_training_hooks.h"

class CGame;

// 1 when all games were played or a stop was requested (TrainingIdle set
// to 1); 0 when a game cannot be started, saved or trained (hooks.Error).
int SelfPlayTraining(CGame& game, const CGameTrainingValues& values, CGameTrainingHooks& hooks);
