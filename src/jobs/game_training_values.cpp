#include "jobs/game_training_values.h"

#include "ann/tdbp_ann_list.h"
#include "common/exe_path.h"

CGameTrainingValues DefaultGameTrainingValues(const CTdbpAnnList& networks) {
  CGameTrainingValues values;
  values.RootDir = GetExePath() + "case/";
  if (networks.Count() > 0) {
    const CTdbpAnn& first = networks.GetAt(0);
    values.MaxLearnCount = first.MaxLearnCount;
    values.AutoSaveCount = first.AutoSaveCount;
    values.Alpha = first.Alpha;
    values.Lambda = first.Lambda;
  }
  return values;
}
