#include "jobs/network_game_trainer.h"

#include "jobs/batch_train.h"
#include <utility>
#include <vector>

#include "common/exe_path.h"
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
    params.AutoSaveCount = kMaxGamePasses + 1;  // no snapshot within a game's passes
    params.ThreadCount = 1;
    params.Alpha = values.Alpha;
    params.Lambda = values.Lambda;
    params.StopRequest = &game.TrainingIdle;
    return TrainFromGameRecord(game, path, params);
  };
}

std::function<int()> MakeNetworkSaver(CGame& game) {
  // Training stores the run's pass counts into the networks; the files keep
  // the networks' own, which batch training reads.
  CTdbpAnnList& list = game.Engine.Evaluator.AnnList;
  std::vector<std::pair<int32_t, int32_t>> own;
  for (int i = 0; i < list.Count(); ++i) own.emplace_back(list.GetAt(i).MaxLearnCount, list.GetAt(i).AutoSaveCount);
  return [&list, own] {
    if (static_cast<size_t>(list.Count()) != own.size()) return 0;
    std::vector<std::pair<int32_t, int32_t>> run;
    for (int i = 0; i < list.Count(); ++i) {
      CTdbpAnn& network = list.GetAt(i);
      run.emplace_back(network.MaxLearnCount, network.AutoSaveCount);
      network.MaxLearnCount = own[static_cast<size_t>(i)].first;
      network.AutoSaveCount = own[static_cast<size_t>(i)].second;
    }
    const int saved = list.SaveAll(list.Count(), "eval", ".ann", GetExePath().c_str());
    for (int i = 0; i < list.Count(); ++i) {
      list.GetAt(i).MaxLearnCount = run[static_cast<size_t>(i)].first;
      list.GetAt(i).AutoSaveCount = run[static_cast<size_t>(i)].second;
    }
    return saved;
  };
}
