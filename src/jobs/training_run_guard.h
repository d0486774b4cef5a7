#pragma once
// The common start and end of a game-training run: the people-facing
// options (two people at the board, spoken moves) are switched off and
// TrainingIdle cleared while it runs; at the end, normal or not, the
// options come back and TrainingIdle is set again. A job control's stop
// request counts as TrainingIdle set.
#include <cstdint>

#include "game/game.h"
#include "jobs/job.h"

class CTrainingRunGuard {
 public:
  explicit CTrainingRunGuard(CGame& game, const CJobControl* control = nullptr)
      : Game(game),
        Control(control), HumanVsHuman(game.HumanVsHuman), SpeakMoves(game.SpeakMoves) {
    Game.HumanVsHuman = 0;
    Game.SpeakMoves = 0;
    Game.TrainingIdle = 0;
  }
  ~CTrainingRunGuard() {
    Game.HumanVsHuman = HumanVsHuman;
    Game.SpeakMoves = SpeakMoves;
    Game.TrainingIdle = 1;
  }
  CTrainingRunGuard(const CTrainingRunGuard&) = delete;
  CTrainingRunGuard& operator=(const CTrainingRunGuard&) = delete;

  bool StopRequested() const {
    if (Control && Control->Stopping()) Game.TrainingIdle = 1;
    return Game.TrainingIdle.load() != 0;
  }

 private:
  CGame& Game;
  const CJobControl* Control;
  int32_t HumanVsHuman;
  int32_t SpeakMoves;
};
