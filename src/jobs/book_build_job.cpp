#include "jobs/book_build_job.h"

#include <filesystem>

#include "common/exe_path.h"
#include "common/folder_walk.h"
#include "engine/opening_book.h"
#include "game/game.h"
#include "jobs/book_builder.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

CBookBuildSettings BookBuildDefaults(const COpeningBook* liveBook) {
  CBookBuildSettings settings;
  settings.RootDir = GetExePath() + "case/";
  if (liveBook) {
    settings.MinWeight = liveBook->MinWeight;
    settings.WonWeight = liveBook->WonWeight;
    settings.DrawWeight = liveBook->DrawWeight;
    settings.LossWeight = liveBook->LossWeight;
  }
  return settings;
}

CJobError CheckBookBuildSettings(const CBookBuildSettings& settings) {
  std::error_code error;
  if (settings.RootDir.empty() || !std::filesystem::is_directory(settings.RootDir, error))
    return NoSuchFolder("RootDir", settings.RootDir);
  return {};
}

CJobError RunBookBuild(const CBookBuildSettings& settings, CJobControl& control, CBookBuildResult& result,
                       COpeningBook* liveBook) {
  result = CBookBuildResult {};
  if (CJobError refusal = CheckBookBuildSettings(settings)) return refusal;
  BuildMoveTables();
  BuildNotationMaps();
  CGame scratch;  // the records are read into a game of the job's own
  COpeningBook book;
  CBookBuilder builder(book);
  builder.SavePath = settings.BookPath;
  // Every plain file is offered as a game, so the files are the most games there can be.
  const long long files = CountFilesBelow(settings.RootDir);
  builder.OnGameLoaded = [&](long long loaded, size_t, const std::string& path) {
    CJobProgress progress;
    progress.Done = loaded;
    progress.Total = files;
    progress.Current = path;
    control.Report(progress);
    if (control.Stopping()) builder.Stop = 1;
  };
  const int built = builder.LoadDIR(scratch, settings.RootDir, settings.MinWeight, settings.WonWeight,
                                    settings.DrawWeight, settings.LossWeight);
  result.GamesRead = builder.LoadedCount;
  result.SkippedFiles = builder.SkippedFiles;
  for (const std::string& skipped : builder.SkippedFiles) control.Note("skipped " + skipped);
  if (!built) return builder.Error;
  result.Stopped = control.Stopping();
  result.NodesKept = book.Nodes.size();
  result.MinNodeWeight = builder.CulledMinWeight;
  result.MaxNodeWeight = builder.CulledMaxWeight;
  if (liveBook) {
    liveBook->MinWeight = book.MinWeight;
    liveBook->WonWeight = book.WonWeight;
    liveBook->DrawWeight = book.DrawWeight;
    liveBook->LossWeight = book.LossWeight;
    liveBook->Nodes.swap(book.Nodes);
  }
  return {};
}
