#pragma once
// The settings of a game-training run, named as the game-training dialog
// labels them, with their defaults (the one place they are kept), and the
// check both front ends rely on.
#include <cstdint>
#include <string>

#include "jobs/job.h"
#include "jobs/setting_range.h"
#include "jobs/ucci_engine_process.h"

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
  // Passes over each saved game. A game is a handful of patterns: a
  // network's own pass count (ten million) would learn the first game for ever.
  int32_t MaxLearnCount = 1;
  // The networks are written to their files after every this many trained
  // games, and once more when the run ends.
  int32_t AutoSaveCount = 1;
  float Alpha = 0.01f;
  float Lambda = 0.9f;
  COutsideEngineSettings Outside;  // the outside program, when TrainWithOutside
};

// The highest MaxLearnCount a run takes.
constexpr int32_t kMaxGamePasses = 1000;

// The limits CheckGameTrainingValues holds every number to. MoveTime is the
// outside program's thinking time per move (ms).
inline constexpr CSettingRange kGameTrainingRanges[] = {
    {"CullDraw", 0, 1},
    {"MaxTrainCount", 1, INT32_MAX},
    {"MaxMoveCount", 1, 1024},
    {"MaxWaitTime", 1, INT32_MAX},
    {"MaxUncapMoveCount", 0, INT32_MAX},
    {"MinDeltaPieceCount", 0, 16},
    {"MinStatusCount", 0, 1024},
    {"MinMoveCoeff", 0, 1},
    {"TrainWithOutside", 0, 1},
    {"MaxLearnCount", 1, kMaxGamePasses},
    {"AutoSaveCount", 1, INT32_MAX},
    {"Alpha", 0, 10},
    {"Lambda", 0, 1},
    {"MoveTime", 1, 3600000},
};

// The dialog's defaults: RootDir is the data folder's "case/"; Alpha and
// Lambda are the first network's (kept as they are without one).
CGameTrainingValues DefaultGameTrainingValues(const CTdbpAnnList& networks);

// The first setting a run cannot use, or no error. RootDir must name a folder
// or a place where one can be made; MoveTime and the engine command (setting
// "Engine", not empty) are checked when TrainWithOutside.
CJobError CheckGameTrainingValues(const CGameTrainingValues& values);
