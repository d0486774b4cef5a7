#include "jobs/match_job.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "common/dir_list.h"
#include "common/file_util.h"
#include "game/game.h"
#include "jobs/elo_estimate.h"
#include "jobs/outside_engine.h"
#include "jobs/selfplay_opening.h"
#include "jobs/setting_range.h"
#include "rules/position.h"

namespace {

constexpr int kStartWaitMs = 15000;

CJobError Failure(const std::string& detail) {
  CJobError error;
  error.Fault = CJobFault::Failed;
  error.Detail = detail;
  return error;
}

// <out>/match_<time of the run>_<game number>.pgn, never over an existing file.
std::string GamePath(const std::string& outDir, const std::string& stamp, int number) {
  char name[64];
  std::snprintf(name, sizeof name, "match_%s_%03d", stamp.c_str(), number);
  std::string path = outDir + name + ".pgn";
  struct stat info;
  for (int n = 2; ::stat(path.c_str(), &info) == 0; ++n) path = outDir + name + "_" + std::to_string(n) + ".pgn";
  return path;
}

// The position after the pair's random opening plies, played on the game
// itself (which the match game then starts again from that position).
CPosition RandomOpening(CGame& game, const CMatchSettings& settings, int pair, int& redToMove) {
  CSelfPlayRandom random(settings.Seed, pair);
  game.HumanVsHuman = 1;
  game.NewGame(InitialBoard.data(), 1);
  PlayRandomOpening(game, game.Engine.Book, game.Engine.TransTable, settings.RandomPlies, random);
  redToMove = game.RedToMove;
  return game.Position();
}

CJobError PlayGames(CGame& game, const CMatchSettings& settings, CMatchHooks& hooks, CJobControl& control,
                    COutsideEngine& outside) {
  if (!outside.Start(kStartWaitMs)) return Failure(outside.Error());
  // Generous: a reply that never comes loses the game for the engine, and a
  // busy machine must not cost it games.
  const int replyWait =
      static_cast<int>(std::min<long long>(10LL * settings.Outside.MoveTimeMs + 5000, 2147483647LL));
  const std::string outDir = settings.OutDir.empty() ? std::string() : WithTrailingSlash(settings.OutDir);
  const std::string stamp = LocalTimeStamp();
  auto stop = [&] { return control.Stopping(); };

  CMatchTally tally;
  CJobProgress progress;
  progress.Total = settings.Games;
  for (int number = 1; number <= settings.Games && !stop(); ++number) {
    CMatchGame played;
    played.WeAreRed = number % 2 == 1;
    std::string error;
    CMatchStart start;
    CPosition opening;
    if (settings.RandomPlies > 0) {
      opening = RandomOpening(game, settings, (number + 1) / 2, start.RedToMove);
      start.Board = opening.Board;
    }
    game.ResetTags("", "");  // the game carries its own tags only
    if (!PlayMatchGame(game, outside, replyWait, stop, played, error, start))
      return Failure("game " + std::to_string(number) + ": " + error);
    if (played.Stopped) break;
    tally.Add(MatchScore(played));
    std::string path;
    if (!outDir.empty()) {
      path = GamePath(outDir, stamp, number);
      if (!game.SavePgn(path)) {
        CJobError failed;
        failed.Fault = CJobFault::CannotWrite;
        failed.Setting = "OutDir";
        failed.Path = path;
        return failed;
      }
    }
    if (hooks.GameEnded) hooks.GameEnded(number, played, path);
    progress.Done = number;
    progress.Wins = tally.Wins;
    progress.Draws = tally.Draws;
    progress.Losses = tally.Losses;
    progress.Current = path;
    control.Report(progress);
  }
  return {};
}

}  // namespace

CJobError CheckMatchSettings(const CMatchSettings& s) {
  if (CJobError error = CheckRanges({
      {"Games", double(s.Games), 1, 100000},
      {"MoveTime", double(s.Outside.MoveTimeMs), 1, 3600000},
      {"EvalModel", double(s.EvalModel), 0, 1},
      {"SearchMode", double(s.SearchMode), 0, 1},
      {"RandomPlies", double(s.RandomPlies), 0, 40},
      {"Seed", double(s.Seed), 0, 4294967295LL},
      }))
    return error;
  if (s.Outside.Command.find_first_not_of(" \t") == std::string::npos) {
    CJobError error = Failure("the outside engine needs a command");
    error.Setting = "Engine";
    return error;
  }
  return {};
}

CJobError RunMatch(CGame& game, const CMatchSettings& settings, CMatchHooks& hooks, CJobControl& control,
                   COutsideEngine* outside) {
  if (CJobError error = CheckMatchSettings(settings)) return error;
  if (!settings.OutDir.empty()) {
    EnsureDirectory(settings.OutDir);
    std::error_code ignored;
    if (!std::filesystem::is_directory(settings.OutDir, ignored)) {
      CJobError error;
      error.Fault = CJobFault::CannotWrite;
      error.Setting = "OutDir";
      error.Path = settings.OutDir;
      return error;
    }
  }
  CSearchEngine& engine = game.Engine;
  engine.MaxSearchTime = settings.Outside.MoveTimeMs;
  engine.MaxIterTime = static_cast<int>(static_cast<long long>(settings.Outside.MoveTimeMs) * 3 / 4);
  engine.Evaluator.EvalModel = settings.EvalModel;
  engine.SearchMode = settings.SearchMode;
  if (!engine.IsReady()) return Failure(engine.NotReadyReason());

  CJobError error;
  if (outside) {
    error = PlayGames(game, settings, hooks, control, *outside);
    outside->End();
  } else {
    CUcciEngineProcess process(settings.Outside);
    error = PlayGames(game, settings, hooks, control, process);
    process.End();
  }
  return error;
}
