#include "jobs/game_training_values.h"

#include <cmath>
#include <utility>

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
  if (v.RootDir.empty()) return NoSuchFolder("RootDir", {});
  const std::pair<const char*, double> values[] = {
      {"CullDraw", v.CullDraw},
      {"MaxTrainCount", v.MaxTrainCount},
      {"MaxMoveCount", v.MaxMoveCount},
      {"MaxWaitTime", v.MaxWaitTime},
      {"MaxUncapMoveCount", v.MaxUncapMoveCount},
      {"MinDeltaPieceCount", v.MinDeltaPieceCount},
      {"MinStatusCount", v.MinStatusCount},
      {"MinMoveCoeff", v.MinMoveCoeff},
      {"TrainWithOutside", v.TrainWithOutside},
      {"MaxLearnCount", v.MaxLearnCount},
      {"AutoSaveCount", v.AutoSaveCount},
      {"Alpha", v.Alpha},
      {"Lambda", v.Lambda},
  };
  for (const auto& [setting, value] : values)
    if (CJobError error = CheckRange(kGameTrainingRanges, setting, value)) return error;
  // The outside program's settings matter only when it plays.
  if (!v.TrainWithOutside) return {};
  if (CJobError error = CheckRange(kGameTrainingRanges, "MoveTime", v.Outside.MoveTimeMs)) return error;
  if (v.Outside.Command.find_first_not_of(" \t") == std::string::npos) {
    CJobError error;
    error.Fault = CJobFault::Missing;
    error.Setting = "Engine";
    return error;
  }
  return {};
}
