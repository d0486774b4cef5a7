#pragma once
// The common start and end of a game-training run: the people-facing
// options (two people at the board, spoken moves) are switched off and
// TrainingIdle cleared while it runs; at the end, normal or not, the
// options come back and TrainingIdle is set again.
#include <cstdint>

#include "game/game.h"

class CTrainingRunGuard {
 public:
  explicit CTrainingRunGuard(CGame& game)
      : Game(game), HumanVsHuman(game.HumanVsHuman), SpeakMoves(game.SpeakMoves) {
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

  bool StopRequested() const { return Game.TrainingIdle.load() != 0; }

 private:
  CGame& Game;
  int32_t HumanVsHuman;
  int32_t SpeakMoves;
};
