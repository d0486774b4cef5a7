#include "jobs/sample_generation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "ann/job_log.h"
#include "common/dir_list.h"
#include "common/folder_walk.h"
#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/tick.h"
#include "engine/evaluator.h"
#include "game/game.h"
#include "jobs/search_target.h"
#include "jobs/whole_game.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

namespace {

constexpr float kRedWinExpect = 0.9f;
constexpr float kBlackWinExpect = 0.1f;
constexpr float kDrawExpect = 0.5f;

// What the size estimate counts for the list itself and for each pattern.
constexpr long long kListBytes = 20;
constexpr long long kPatternBytes = 28;
constexpr long long kStatusBytes = 16;

void CountStatus(CSampleRun& run, int category) {
  if (category < 0) return;
  if (static_cast<size_t>(category) >= run.CategoryCounts.size())
    run.CategoryCounts.resize(static_cast<size_t>(category) + 1, 0);
  ++run.CategoryCounts[static_cast<size_t>(category)];
}

int32_t TotalStatusCount(const CSampleRun& run) {
  int32_t total = 0;
  for (int32_t count : run.CategoryCounts) total += count;
  return total;
}

// Writes the list to a new sample file and empties it. Two flushes within
// one second get distinct names, so no sample file ever replaces another.
// The prefix of the files a run over one root writes when they are named for it.
std::string RootPrefix(const std::string& rootDir) {
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(rootDir, error);
  const std::string key = error ? rootDir : canonical.string();
  uint64_t hash = 1469598103934665603ull;  // FNV-1a: short, stable across runs
  for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
  char text[32];
  std::snprintf(text, sizeof text, "root%016llx_", static_cast<unsigned long long>(hash));
  return text;
}

void FlushPatterns(CSampleRun& run, const std::string& name, const std::string& sampleDir,
                   const std::string& extension) {
  EnsureDirectory(sampleDir);
  const std::string path =
      run.RootPrefix.empty()
          ? ClaimUniqueFileName(sampleDir + name + "_" + LocalTimeStamp(), extension)
          : sampleDir + name + "_" + run.RootPrefix + std::to_string(run.WrittenFiles.size() + run.FailedFiles.size()) +
                extension;
  if (!path.empty() && run.Patterns.Save(path, 1)) {
    run.WrittenFiles.push_back(path);
  } else {
    if (!path.empty()) std::remove(path.c_str());  // no empty claimed file left behind
    run.FailedFiles.push_back(path.empty() ? sampleDir + name + "_" + LocalTimeStamp() + extension : path);
    AppendLog(SampleLogPath(), "      Save %s failed.\n", path.c_str());
  }
  run.Patterns.Clear();
  run.EstimatedPatternBytes = 0;
}

bool StopRequested(const CSampleSettings& settings) {
  return settings.StopRequest && settings.StopRequest->load() != 0;
}

int OfferRecord(CGame& game, CSampleRun& run, const std::string& path, const std::string& name,
                const std::string& sampleDir, const std::string& extension,
                const CSampleSettings& settings) {
  const int result = AddGameSamples(game, run, path, name, sampleDir, extension, settings);
  ++run.OfferedCount;
  if (settings.OnRecord) settings.OnRecord(run.LoadedCount, run.OfferedCount);
  return result;
}

int Walk(CGame& game, CSampleRun& run, const std::string& path, const std::string& name,
         const std::string& sampleDir, const std::string& extension,
         const CSampleSettings& settings) {
  if (path.empty()) return 0;
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) {  // one record file
    if (StopRequested(settings)) return run.Stopped = true, 1;
    return OfferRecord(game, run, path, name, sampleDir, extension, settings);
  }
  CFolderWalk walk;
  walk.EnterFolder = [&](const std::string&) { return SecondsSince(run.StartTick) <= settings.TimeBudgetSeconds; };
  walk.VisitFile = [&](const CDirEntry& entry) {
    if (StopRequested(settings)) {
      run.Stopped = true;
      return false;
    }
    // A file that is no whole game is skipped and named; the walk goes on.
    OfferRecord(game, run, entry.Path, name, sampleDir, extension, settings);
    return true;
  };
  return walk.Run(path) || walk.Ended ? 1 : 0;
}

// Removes the files an earlier run over the same root wrote beyond this run's.
void RemoveOlderRootFiles(const CSampleRun& run, const std::string& name, const std::string& sampleDir,
                          const std::string& extension) {
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(sampleDir, entries)) return;
  const std::string prefix = name + "_" + run.RootPrefix;
  for (const CDirEntry& entry : entries) {
    if (entry.Name.rfind(prefix, 0) != 0) continue;
    bool written = false;
    for (const std::string& path : run.WrittenFiles) written = written || path == entry.Path;
    if (!written && entry.Name.size() > extension.size() &&
        entry.Name.compare(entry.Name.size() - extension.size(), extension.size(), extension) == 0)
      std::remove(entry.Path.c_str());
  }
}

// Encodes the position into the status and appends a copy to the pattern.
void AddStatus(const CEvaluator& evaluator, const CPosition& position, int redToMove,
               CStatus& status, CPattern& pattern, CSampleRun& run) {
  evaluator.EncodeInputs(position, redToMove, status.Vectors.data());
  status.Category = evaluator.GetCategory(position);
  CountStatus(run, status.Category);
  pattern.Statuses.Add(status);
}

}  // namespace

std::string SampleLogPath() { return GetExePath() + "gen_sample_list.txt"; }

CJobError CheckSampleSettings(const CSampleSettings& settings) {
  const std::pair<const char*, double> values[] = {
      {"CullDraw", settings.CullDraw},
      {"MaxPatternListBytes", settings.MaxPatternListBytes},
      {"TestOverflowFreq", settings.TestOverflowFreq},
      {"TestOverflowCoeff", settings.TestOverflowCoeff},
      {"MinStatusCount", settings.MinStatusCount},
      {"MinMoveCoeff", settings.MinMoveCoeff},
      {"TimeBudgetSeconds", settings.TimeBudgetSeconds},
      {"LogPeriod", settings.LogPeriod},
      {"SearchDepth", settings.SearchDepth},
      {"ScoreWeight", settings.ScoreWeight},
      {"ScoreScale", settings.ScoreScale},
      {"LeafPositions", settings.LeafPositions},
  };
  for (const auto& [setting, value] : values)
    if (CJobError e = CheckRange(kSampleRanges, setting, value)) return e;
  // Score targets and leaves come from the search, so it must run.
  if ((settings.ScoreWeight > 0 || settings.LeafPositions) && settings.SearchDepth < 1)
    return OutOfRange("SearchDepth", settings.SearchDepth, 1, 8);
  return {};
}

int AddGameSamples(CGame& game, CSampleRun& run, const std::string& recordPath,
                   const std::string& name, const std::string& sampleDir,
                   const std::string& extension, const CSampleSettings& settings) {
  std::string why;
  if (!ReadWholeGame(game, recordPath, why)) {
    AppendLog(SampleLogPath(), "      Load %s failed.\n", recordPath.c_str());
    run.FailedRecord = recordPath;
    run.SkippedRecords.push_back(recordPath + ": " + why);
    return 0;
  }
  if (settings.CullDraw && !game.IsRedWin() && !game.IsBlackWin()) return 1;
  const int n = game.Record().Length;
  if (n < settings.MinStatusCount || n < 1) return 1;
  while (game.Undo()) {
  }
  const int first = std::clamp(
      static_cast<int>(std::trunc(static_cast<double>(settings.MinMoveCoeff) * n)), 0, n - 1);

  const CEvaluator& evaluator = game.Engine.Evaluator;
  const float expect =
      game.IsRedWin() ? kRedWinExpect : game.IsBlackWin() ? kBlackWinExpect : kDrawExpect;
  // With score targets each position is a pattern of its own; otherwise the
  // game as played and its mirror are one pattern each.
  const bool perPosition = settings.ScoreWeight > 0;
  CPattern played, mirrored;
  CStatus status(0, ANN_INPUT_COUNT);
  CPosition mirror;
  CSearchJudgement judgement;
  long long added = 0;
  for (int i = 0; i < n; ++i) {
    if (i >= first) {
      const CPosition* sampled = &game.Position();
      int sampledRed = game.RedToMove;
      float positionExpect = expect;
      if (settings.SearchDepth > 0) {
        JudgeBySearch(game.Engine, game.RedToMove, settings.SearchDepth, judgement);
        if (settings.LeafPositions) {
          sampled = &judgement.Leaf;
          sampledRed = judgement.LeafRedToMove;
        }
        positionExpect = BlendExpect(expect, ScoreExpect(judgement.RedCentipawns, settings.ScoreScale),
                                     settings.ScoreWeight);
      }
      AddStatus(evaluator, *sampled, sampledRed, status, played, run);
      // The piece-value model scores a board and its mirror alike.
      sampled->MirrorInto(mirror);
      AddStatus(evaluator, mirror, sampledRed, status, mirrored, run);
      if (perPosition) {
        played.Expect = mirrored.Expect = positionExpect;
        run.Patterns.Add(std::move(played));
        run.Patterns.Add(std::move(mirrored));
        played = CPattern {};
        mirrored = CPattern {};
        added += 2;
        run.EstimatedPatternBytes += 2 * (kStatusBytes + 4LL * ANN_INPUT_COUNT);
      }
    }
    game.Redo();
  }
  if (!perPosition) {
    played.Expect = mirrored.Expect = expect;
    const long long patternBytes =
        kStatusBytes * played.Statuses.Count() + 4LL * played.Statuses.Count() * ANN_INPUT_COUNT;
    run.Patterns.Add(std::move(played));
    run.Patterns.Add(std::move(mirrored));
    run.EstimatedPatternBytes += 2 * patternBytes;
    added = 2;
  }
  ++run.LoadedCount;
  if (run.LoadedCount % settings.LogPeriod == 0)
    AppendLog(SampleLogPath(), "   LoadedCount=%07d; PatternCount=%07d; ElapsedTime=%07d\n",
              run.LoadedCount, run.Patterns.Count(), SecondsSince(run.StartTick));

  // The budget is tested whenever the count reaches a multiple of the test
  // frequency (or passes one, when a game adds many patterns at once).
  const long long k = run.Patterns.Count();
  const long long freq = settings.TestOverflowFreq;
  if (added == 2 ? k % freq == 0 : (k - added) / freq != k / freq) {
    const long long estimate = kListBytes + kPatternBytes * k + run.EstimatedPatternBytes;
    if (static_cast<double>(estimate) >
        static_cast<double>(settings.MaxPatternListBytes) * settings.TestOverflowCoeff)
      FlushPatterns(run, name, sampleDir, extension);
  }
  return 1;
}

int GenerateSamples(CGame& game, const std::string& rootDir, const std::string& name,
                    const std::string& sampleDir, const std::string& extension,
                    const CSampleSettings& settings, CSampleRun* runOut) {
  CSampleRun local;
  CSampleRun& run = runOut ? *runOut : local;
  run = CSampleRun {};
  if (rootDir.empty() || name.empty() || sampleDir.empty() || extension.empty()) return 0;
  run.Error = EnglishMessage(CheckSampleSettings(settings));
  if (!run.Error.empty()) {
    AppendLog(SampleLogPath(), "   Refused: %s.\n", run.Error.c_str());
    return 0;
  }
  run.StartTick = GetTick();
  if (settings.NameForRoot) run.RootPrefix = RootPrefix(rootDir);
  if (!Walk(game, run, rootDir, name, sampleDir, extension, settings) || run.LoadedCount == 0)
    return 0;
  if (run.Patterns.Count() > 0) {
    const std::string log = SampleLogPath();
    AppendLog(log, "   LoadedCount=%07d; PatternCount=%07d; ElapsedTime=%07d\n", run.LoadedCount,
              run.Patterns.Count(), SecondsSince(run.StartTick));
    AppendLog(log, "\n");
    for (size_t category = 0; category < run.CategoryCounts.size(); ++category)
      AppendLog(log, "   Category = %03d; Count = %08d\n", static_cast<int>(category),
                run.CategoryCounts[category]);
    if (run.CategoryCounts.empty()) AppendLog(log, "   Category = %03d; Count = %08d\n", 0, 0);
    AppendLog(log, "\n");
    AppendLog(log, "   TotalStatusCount = %08d\n", TotalStatusCount(run));
    FlushPatterns(run, name, sampleDir, extension);
  }
  if (!run.RootPrefix.empty() && run.FailedFiles.empty()) RemoveOlderRootFiles(run, name, sampleDir, extension);
  return 1;
}

CJobError CheckSampleJob(const CSampleSettings& settings) {
  std::error_code error;
  if (settings.RootDir.empty() || !std::filesystem::exists(settings.RootDir, error))
    return NoSuchFolder("RootDir", settings.RootDir);
  return CheckSampleSettings(settings);
}

CJobError RunSampleGeneration(const CSampleSettings& settings, CJobControl& control, CSampleRun& run) {
  run = CSampleRun {};
  if (CJobError refusal = CheckSampleJob(settings)) return refusal;
  BuildMoveTables();
  BuildNotationMaps();
  CGame scratch;  // the records are read into a game of the job's own
  CSampleSettings withControl = settings;
  withControl.StopRequest = &control.StopRequested;
  withControl.OnRecord = [&](int32_t loaded, int32_t offered) {
    CJobProgress progress;
    progress.Done = offered;
    progress.Wins = loaded;
    control.Report(progress);
  };
  const std::string sampleDir = settings.SampleDir.empty() ? GetExePath() + "sample/" : WithTrailingSlash(settings.SampleDir);
  const int generated = GenerateSamples(scratch, settings.RootDir, "eval", sampleDir, ".sam", withControl, &run);
  for (const std::string& skipped : run.SkippedRecords) control.Note("skipped " + skipped);
  if (!run.FailedFiles.empty()) {
    CJobError failure;
    failure.Fault = CJobFault::CannotWrite;
    failure.Path = run.FailedFiles.front();
    return failure;
  }
  if (!generated) {
    CJobError failure;
    failure.Fault = CJobFault::NoInput;
    failure.Setting = "RootDir";
    failure.Path = settings.RootDir;
    failure.Detail = "no game taken: " + std::to_string(run.SkippedRecords.size()) +
                     " files are no whole game; the others are too short or culled as drawn";
    return failure;
  }
  return {};
}
