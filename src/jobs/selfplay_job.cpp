#include "jobs/selfplay_job.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/dir_list.h"
#include "common/file_util.h"
#include "engine/opening_book.h"
#include "game/game.h"
#include "jobs/selfplay_files.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

namespace {

CJobError CannotWrite(const std::string& path, const std::string& detail = "") {
  CJobError error;
  error.Fault = CJobFault::CannotWrite;
  error.Setting = "OutDir";
  error.Path = path;
  error.Detail = detail;
  return error;
}

// The folder exists, or is made, and takes a file.
CJobError PrepareOutDir(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  if (!std::filesystem::is_directory(dir, ignored)) return CannotWrite(dir, "not a folder and cannot be made");
  CAtomicFile probe;
  if (!probe.Open(dir + SelfPlayFileName(0), "wb")) return CannotWrite(dir, "no file can be made in it");
  probe.Abort();
  return {};
}

// A's score from a record's Result tag: +1 win, 0 draw, -1 loss; 2 unknown.
int AScoreOf(const std::string& result, bool aIsRed) {
  if (result == "1/2-1/2") return 0;
  if (result == "1-0") return aIsRed ? 1 : -1;
  if (result == "0-1") return aIsRed ? -1 : 1;
  return 2;
}

std::string ResultTagOf(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return {};
  const std::string tag = "[Result \"";
  const size_t at = text.find(tag);
  if (at == std::string::npos) return {};
  const size_t end = text.find('"', at + tag.size());
  return end == std::string::npos ? std::string() : text.substr(at + tag.size(), end - at - tag.size());
}

void Count(CJobProgress& progress, int score) {
  if (score == 1) ++progress.Wins;
  if (score == 0) ++progress.Draws;
  if (score == -1) ++progress.Losses;
}

CJobError Failure(const std::string& detail) {
  CJobError error;
  error.Fault = CJobFault::Failed;
  error.Detail = detail;
  return error;
}

}  // namespace

CJobError RunSelfPlay(const CSelfPlaySettings& settings, CJobControl& control, CSelfPlayRun& run) {
  if (CJobError error = CheckSelfPlaySettings(settings)) return error;
  const std::string dir = WithTrailingSlash(settings.OutDir);
  if (CJobError error = PrepareOutDir(dir)) return error;
  std::vector<int> existing;
  std::string why;
  if (!ListSelfPlayRecords(dir, existing, why)) return CannotWrite(dir, why);

  CJobProgress progress;
  progress.Total = settings.Games;
  for (const int number : existing) Count(progress, AScoreOf(ResultTagOf(dir + SelfPlayFileName(number)), number % 2 == 1));
  run.Existing = static_cast<int>(existing.size());
  progress.Done = run.Existing;
  control.Report(progress);
  const int toPlay = settings.Games - run.Existing;
  if (toPlay <= 0) return {};
  const std::vector<int> numbers = MissingSelfPlayNumbers(existing, toPlay);

  // Every game object is made here, one after the other: each reads the key
  // file and the network file, and may write them when they are missing.
  BuildMoveTables();
  BuildNotationMaps();
  const int threadCount = std::min(settings.Threads, toPlay);
  std::vector<std::unique_ptr<CGame>> games;
  for (int i = 0; i < threadCount; ++i) {
    games.push_back(std::make_unique<CGame>());
    if (!games.back()->Engine.IsReady()) return Failure(games.back()->Engine.NotReadyReason());
    PrepareSelfPlayGame(*games.back());
  }
  const COpeningBook book;  // read-only from here on, shared by every worker

  std::mutex lock;
  std::atomic<size_t> next {0};
  std::atomic<bool> failed {false};
  CJobError error;
  auto stop = [&] { return control.Stopping() || failed.load(); };
  auto work = [&](CGame& game) {
    for (size_t at = next++; at < numbers.size() && !stop(); at = next++) {
      const int number = numbers[at];
      CSelfPlayReport report;
      report.Number = number;
      report.Game = PlaySelfPlayGame(game, settings, number, book, stop);
      if (report.Game.Stopped) {
        std::lock_guard<std::mutex> held(lock);
        ++run.Dropped;
        return;
      }
      report.Path = dir + SelfPlayFileName(number);
      std::string text;
      const bool written = game.PgnText(text) && WriteFileAtomically(report.Path, text);
      std::lock_guard<std::mutex> held(lock);
      if (!written) {
        if (!error) error = CannotWrite(report.Path);
        failed = true;
        return;
      }
      ++run.Played;
      ++progress.Done;
      Count(progress, AScoreOf(report.Game.Result, report.Game.AIsRed));
      progress.Current = report.Path;
      control.Report(progress);
      if (run.GameEnded) run.GameEnded(report);
    }
  };
  std::vector<std::thread> workers;
  for (int i = 1; i < threadCount; ++i) workers.emplace_back(work, std::ref(*games[static_cast<size_t>(i)]));
  work(*games[0]);
  for (std::thread& worker : workers) worker.join();
  return error;
}
