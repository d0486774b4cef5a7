#include "jobs/sample_generation.h"

#include <algorithm>
#include <cmath>

#include "ann/job_log.h"
#include "common/dir_list.h"
#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/tick.h"
#include "engine/evaluator.h"
#include "game/game.h"

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
void FlushPatterns(CSampleRun& run, const std::string& name, const std::string& sampleDir,
                   const std::string& extension) {
  EnsureDirectory(sampleDir);
  const std::string path = UniqueFileName(sampleDir + name + "_" + LocalTimeStamp(), extension);
  if (run.Patterns.Save(path, 1)) {
    run.WrittenFiles.push_back(path);
  } else {
    run.FailedFiles.push_back(path);
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
  if (SecondsSince(run.StartTick) > settings.TimeBudgetSeconds) return 1;
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(path, entries))  // not a folder: one record file
    return StopRequested(settings) ? (run.Stopped = true, 1)
                                   : OfferRecord(game, run, path, name, sampleDir, extension, settings);
  for (const CDirEntry& entry : entries) {
    if (StopRequested(settings)) {
      run.Stopped = true;
      return 1;
    }
    const int result =
        entry.IsDir ? Walk(game, run, entry.Path + "/", name, sampleDir, extension, settings)
                    : OfferRecord(game, run, entry.Path, name, sampleDir, extension, settings);
    if (!result) return 0;
  }
  return 1;
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

std::string CheckSampleSettings(const CSampleSettings& settings) {
  if (settings.TestOverflowFreq < 1) return "TestOverflowFreq must be at least 1";
  if (settings.MaxPatternListBytes < 1) return "MaxPatternListBytes must be at least 1";
  if (!std::isfinite(settings.TestOverflowCoeff) || settings.TestOverflowCoeff <= 0)
    return "TestOverflowCoeff must be above 0";
  if (!std::isfinite(settings.MinMoveCoeff) || settings.MinMoveCoeff < 0 ||
      settings.MinMoveCoeff > 1)
    return "MinMoveCoeff must lie between 0 and 1";
  if (settings.LogPeriod < 1) return "the log period must be at least 1";
  return {};
}

int AddGameSamples(CGame& game, CSampleRun& run, const std::string& recordPath,
                   const std::string& name, const std::string& sampleDir,
                   const std::string& extension, const CSampleSettings& settings) {
  if (!game.LoadPgn(recordPath)) {
    AppendLog(SampleLogPath(), "      Load %s failed.\n", recordPath.c_str());
    run.FailedRecord = recordPath;
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
  CPattern played, mirrored;
  CStatus status(0, ANN_INPUT_COUNT);
  CPosition mirror;
  for (int i = 0; i < n; ++i) {
    if (i >= first) {
      AddStatus(evaluator, game.Position(), game.RedToMove, status, played, run);
      game.Position().MirrorInto(mirror);
      AddStatus(evaluator, mirror, game.RedToMove, status, mirrored, run);
    }
    game.Redo();
  }
  const float expect =
      game.IsRedWin() ? kRedWinExpect : game.IsBlackWin() ? kBlackWinExpect : kDrawExpect;
  played.Expect = mirrored.Expect = expect;

  const long long patternBytes =
      kStatusBytes * played.Statuses.Count() + 4LL * played.Statuses.Count() * ANN_INPUT_COUNT;
  run.Patterns.Add(std::move(played));
  run.Patterns.Add(std::move(mirrored));
  run.EstimatedPatternBytes += 2 * patternBytes;
  ++run.LoadedCount;
  if (run.LoadedCount % settings.LogPeriod == 0)
    AppendLog(SampleLogPath(), "   LoadedCount=%07d; PatternCount=%07d; ElapsedTime=%07d\n",
              run.LoadedCount, run.Patterns.Count(), SecondsSince(run.StartTick));

  const long long k = run.Patterns.Count();
  if (k % settings.TestOverflowFreq == 0) {
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
  run.Error = CheckSampleSettings(settings);
  if (!run.Error.empty()) {
    AppendLog(SampleLogPath(), "   Refused: %s.\n", run.Error.c_str());
    return 0;
  }
  run.StartTick = GetTick();
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
  return 1;
}
