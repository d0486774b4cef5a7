#pragma once
// The values of a game-training run, named as the game-training dialog
// labels them, with that dialog's defaults.
#include <cstdint>
#include <string>

class CTdbpAnnList;

struct CGameTrainingValues {
  std::string RootDir;  // where the games are saved, ending in "/"
  int32_t CullDraw = 1;  // drawn games are neither saved nor trained
  int32_t MaxTrainCount = 10000000;
  int32_t MaxMoveCount = 600;
  int32_t MaxWaitTime = 30000;  // ms for the outside program's reply
  int32_t MaxUncapMoveCount = 80;
  int32_t MinDeltaPieceCount = 6;
  int32_t MinStatusCount = 6;
  float MinMoveCoeff = 0;
  int32_t TrainWithOutside = 1;  // 1: against the outside program, 0: self-play
  int32_t MaxLearnCount = 1;
  int32_t AutoSaveCount = 1;
  float Alpha = 0;
  float Lambda = 0;
};

// The dialog's defaults: RootDir is the data folder's "case/", the four
// training values are the first network's (kept as they are without one).
CGameTrainingValues DefaultGameTrainingValues(const CTdbpAnnList& networks);
