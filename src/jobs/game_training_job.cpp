#include "jobs/game_training_job.h"

#include <filesystem>

#include "common/dir_list.h"
#include "common/file_util.h"
#include "game/game.h"
#include "jobs/game_snapshot.h"
#include "jobs/outside_training.h"
#include "jobs/saved_game_training.h"
#include "jobs/self_play_training.h"
#include "jobs/ucci_engine_process.h"

namespace {

CJobError Failure(const std::string& detail) {
  CJobError error;
  error.Fault = CJobFault::Failed;
  error.Detail = detail;
  return error;
}

// The trained side's score of a finished game: 1 win, 0 draw, -1 loss.
int ScoreOf(const CTrainingGameReport& report) {
  if (report.Result == "1-0") return report.TrainedSideRed ? 1 : -1;
  if (report.Result == "0-1") return report.TrainedSideRed ? -1 : 1;
  return 0;
}

}  // namespace

CJobError RunGameTraining(CGame& game, const CGameTrainingValues& values, CGameTrainingHooks& hooks,
                          CJobControl& control, COutsideEngine* outside) {
  if (CJobError error = CheckGameTrainingValues(values)) return error;
  EnsureDirectory(values.RootDir);
  std::error_code ignored;
  if (!std::filesystem::is_directory(values.RootDir, ignored)) {
    CJobError error;
    error.Fault = CJobFault::CannotWrite;
    error.Setting = "RootDir";
    error.Path = values.RootDir;
    return error;
  }

  CGameTrainingValues run = values;
  run.RootDir = WithTrailingSlash(values.RootDir);
  CJobProgress progress;
  progress.Total = values.MaxTrainCount;
  const auto gameEnded = hooks.GameEnded;
  hooks.GameEnded = [&](const CTrainingGameReport& report) {
    ++progress.Done;
    const int score = ScoreOf(report);
    (score > 0 ? progress.Wins : score < 0 ? progress.Losses : progress.Draws) += 1;
    progress.Current = report.Path;
    if (gameEnded) gameEnded(report);
    control.Report(progress);
  };
  hooks.Control = &control;
  hooks.TrainedSinceSave = 0;

  const CGameSnapshot playersGame(game);
  int result;
  if (!run.TrainWithOutside) {
    result = SelfPlayTraining(game, run, hooks);
  } else if (outside) {
    result = OutsideTraining(game, *outside, run, hooks);
  } else {
    CUcciEngineProcess process(run.Outside);
    result = OutsideTraining(game, process, run, hooks);
  }
  // What was learnt is kept however the run ended.
  const int saved = SaveTrainedNetworks(hooks);
  hooks.GameEnded = gameEnded;
  hooks.Control = nullptr;
  playersGame.Restore(game);
  game.NotifyBoardReset();
  if (!result || !saved) return Failure(hooks.Error);
  return {};
}
