#include "jobs/network_game_trainer.h"

#include "jobs/batch_train.h"
#include "game/game.h"

CGameTrainer MakeNetworkGameTrainer() {
  return [](CGame& game, const std::string& path, const CGameTrainingValues& values) {
    CTrainParams params;
    params.CullDraw = values.CullDraw;
    params.MaxPatternListBytes = 1073741824;
    params.TestOverflowFreq = 1000;
    params.TestOverflowCoeff = 0.8f;
    params.MinStatusCount = values.MinStatusCount;
    params.MinMoveCoeff = values.MinMoveCoeff;
    params.StartTdbpAnnIndex = 0;
    params.EndTdbpAnnIndex = game.Engine.Evaluator.AnnList.Count() - 1;
    params.MaxRelearnCount = 1;
    params.MaxLearnCount = values.MaxLearnCount;
    params.AutoSaveCount = values.AutoSaveCount;
    params.ThreadCount = 1;
    params.Alpha = values.Alpha;
    params.Lambda = values.Lambda;
    params.StopRequest = &game.TrainingIdle;
    return TrainFromGameRecord(game, path, params);
  };
}
