#pragma once
// Game training against the outside program: this program ("Velmora") and
// the outside program take red in turn; the outside program's moves come
// through the driver and are played on the game object. Each finished game
// is saved into RootDir and trained on.
#include "jobs/game_training_hooks.h"
#include "rules/move.h"

class CGame;
class COutsideEngine;

// 1 when all games were played or a stop was requested; 0 when the outside
// program does not start or answer, goes away, or a game cannot be started,
// handed over, saved or trained (hooks.Error). The program is ended before
// returning.
int OutsideTraining(CGame& game, COutsideEngine& outside, const CGameTrainingValues& values,
                    CGameTrainingHooks& hooks);

// Reads an outside program's ICCS move for the side to move: 1 when it
// names a move of that side that leaves its king safe.
int ReadOutsideMove(CGame& game, const std::string& iccs, CMove& move);
// Reads an outside program's ICCS move for the side to move and plays it on
// the game: it must be a move of that side that leaves its king safe, and
// the game must accept it. 1 when played.
int PlayOutsideMove(CGame& game, const std::string& iccs);
