#pragma once
// What a game-training run calls back: the refresh after every move, the
// report of every finished game, the network trainer for saved games and
// the writer of the networks (given as callables so that tests can watch
// them).
#include <functional>
#include <string>

#include "jobs/game_training_values.h"
#include "jobs/job.h"

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
  bool TrainedSideRed = false;  // the side the run trains ("TdbpAnn", "Velmora") is red
};

struct CGameTrainingHooks {
  std::function<void()> Refresh;  // after every move played
  std::function<void(const CTrainingGameReport&)> GameEnded;
  CGameTrainer Trainer;  // none: games are saved but not trained
  // Writes the trained networks to their files. 1/0. Called after every
  // AutoSaveCount trained games and when the run ends with games unwritten.
  std::function<int()> SaveNetworks;
  const CJobControl* Control = nullptr;  // its stop request ends the run too
  std::string Error;     // why the run returned 0

  int TrainedSinceSave = 0;  // trained games the network files do not hold yet
};
