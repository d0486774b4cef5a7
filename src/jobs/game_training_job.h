#pragma once
// Game training as one job: the settings are checked before anything is
// played, then games are played by self-play or against the outside
// program, each kept game saved and trained on, the networks written after
// every AutoSaveCount trained games and at the end. Progress counts games
// (Done of MaxTrainCount) with the trained side's wins, draws and losses.
// The player's game in the game object is put back when the run ends.
#include "jobs/game_training_hooks.h"
#include "jobs/job.h"

class CGame;
class COutsideEngine;

// No error when every game was played or a stop was requested (through
// control or TrainingIdle). hooks.Control is set to &control for the run.
// outside: the program to play against; nullptr starts values.Outside.
CJobError RunGameTraining(CGame& game, const CGameTrainingValues& values, CGameTrainingHooks& hooks,
                          CJobControl& control, COutsideEngine* outside = nullptr);
