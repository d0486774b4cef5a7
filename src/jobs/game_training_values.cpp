#include "jobs/game_training_values.h"

#include <cmath>

#include "ann/tdbp_ann_list.h"
#include "common/exe_path.h"

CGameTrainingValues DefaultGameTrainingValues(const CTdbpAnnList& networks) {
  CGameTrainingValues values;
  values.RootDir = GetExePath() + "case/";
  if (networks.Count() > 0) {
    const CTdbpAnn& first = networks.GetAt(0);
    values.Alpha = first.Alpha;
    values.Lambda = first.Lambda;
  }
  return values;
}

CJobError CheckGameTrainingValues(const CGameTrainingValues& v) {
  constexpr long long kMax = 2147483647LL;
  if (v.RootDir.empty())
    return NoSuchFolder("RootDir", {});
  if (CJobError error = CheckRanges({
      {"CullDraw", double(v.CullDraw), 0, 1},
      {"MaxTrainCount", double(v.MaxTrainCount), 1, kMax},
      {"MaxMoveCount", double(v.MaxMoveCount), 1, 1024},
      {"MaxWaitTime", double(v.MaxWaitTime), 1, kMax},
      {"MaxUncapMoveCount", double(v.MaxUncapMoveCount), 0, kMax},
      {"MinDeltaPieceCount", double(v.MinDeltaPieceCount), 0, 16},
      {"MinStatusCount", double(v.MinStatusCount), 0, 1024},
      {"MinMoveCoeff", double(v.MinMoveCoeff), 0, 1},
      {"TrainWithOutside", double(v.TrainWithOutside), 0, 1},
      {"MaxLearnCount", double(v.MaxLearnCount), 1, kMaxGamePasses},
      {"AutoSaveCount", double(v.AutoSaveCount), 1, kMax},
      {"Alpha", double(v.Alpha), 0, 10},
      {"Lambda", double(v.Lambda), 0, 1},
      {"MoveTime", double(v.Outside.MoveTimeMs), 1, 3600000},
      }))
    return error;
  if (v.TrainWithOutside && v.Outside.Command.find_first_not_of(" \t") == std::string::npos) {
    CJobError error;
    error.Fault = CJobFault::Failed;
    error.Setting = "Engine";
    error.Detail = "the outside engine needs a command";
    return error;
  }
  return {};
}
