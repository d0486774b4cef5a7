#include "app/hook_progress.h"

#include <string>

#include "jobs/game_training_hooks.h"
#include "jobs/record_checking.h"

namespace {

void CountResult(CJobProgress& progress, const std::string& result, bool forRed) {
  if (result == "1/2-1/2") {
    ++progress.Draws;
  } else if (result == "1-0" || result == "0-1") {
    const bool redWon = result == "1-0";
    ++(redWon == forRed ? progress.Wins : progress.Losses);
  }
}

}  // namespace

void AddCheckedFile(CJobProgress& progress, const CCheckedFileReport& report) {
  ++progress.Done;
  progress.Current = report.Path;
  CountResult(progress, report.Result, true);
}

void AddTrainingGame(CJobProgress& progress, const CTrainingGameReport& report) {
  progress.Done = report.Index;
  progress.Current = report.Path;
  CountResult(progress, report.Result, report.Index % 2 == 0);
}
