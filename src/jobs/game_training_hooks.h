#pragma once
// What a game-training run calls back: the refresh after every move, the
// report of every finished game, and the network trainer for saved games
// (given as a callable so that tests can watch it).
#include <functional>
#include <string>

#include "jobs/game_training_values.h"

class CGame;

// Trains the networks on one saved game file. 1/0.
using CGameTrainer = std::function<int(CGame& game, const std::string& path, const CGameTrainingValues& values)>;

struct CTrainingGameReport {
  int Index = 0;  // 1 .. MaxTrainCount
  std::string Red, Black;
  std::string Result;  // the game's result tag
  int MoveCount = 0;   // moves in the record
  std::string Path;    // the saved file; empty when not saved
  std::string Note;    // why it was not saved, or what ended it
};

struct CGameTrainingHooks {
  std::function<void()> Refresh;  // after every move played
  std::function<void(const CTrainingGameReport&)> GameEnded;
  CGameTrainer Trainer;  // none: games are saved but not trained
  std::string Error;     // why the run returned 0
};
