#include "jobs/batch_train.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>
#include <climits>
#include <filesystem>
#include <cstdio>

#include "ann/job_log.h"
#include "jobs/sample_generation.h"
#include "ann/td_learner.h"
#include "common/dir_list.h"
#include "common/exe_path.h"
#include "common/random.h"
#include "common/tick.h"
#include "game/game.h"

namespace {

CLearnOptions LearnOptionsOf(const CTrainParams& params) {
  CLearnOptions options;
  options.MaxLearnCount = params.MaxLearnCount;
  options.AutoSaveCount = params.AutoSaveCount;
  // Without a period of its own a run would take the network's, 1 in every
  // new network file: a snapshot file per pass.
  options.SnapshotAtEndOnly = !params.AutoSaveCount;
  options.ThreadCount = params.ThreadCount;
  options.Alpha = params.Alpha;
  options.Lambda = params.Lambda;
  options.Shuffle = params.Shuffle;
  if (params.ShuffleSeed) options.ShuffleSeed = static_cast<uint32_t>(*params.ShuffleSeed);
  options.AlphaEnd = params.AlphaEnd;
  options.BatchSize = params.BatchSize;
  options.Adam = params.Adam;
  options.StopRequest = params.StopRequest;
  options.OnProgress = params.OnProgress;
  options.Error = params.Error;
  return options;
}

CSampleSettings SampleSettingsOf(const CTrainParams& params) {
  CSampleSettings settings;
  settings.CullDraw = params.CullDraw;
  settings.MaxPatternListBytes = params.MaxPatternListBytes;
  settings.TestOverflowFreq = params.TestOverflowFreq;
  settings.TestOverflowCoeff = params.TestOverflowCoeff;
  settings.MinStatusCount = params.MinStatusCount;
  settings.MinMoveCoeff = params.MinMoveCoeff;
  settings.SearchDepth = params.SearchDepth;
  settings.ScoreWeight = params.ScoreWeight;
  settings.ScoreScale = params.ScoreScale;
  settings.LeafPositions = params.LeafPositions;
  settings.StopRequest = params.StopRequest;
  settings.OnRecord = params.OnRecord;
  return settings;
}

std::string SampleDirOf(const CTrainParams& params) {
  return params.SampleDir.empty() ? DefaultSampleDir() : params.SampleDir;
}

bool Stopping(const CTdbpAnnList& list, const CLearnOptions& options) {
  if (options.StopRequest && options.StopRequest->load() != 0) return true;
  for (int i = 0; i < list.Count(); ++i)
    if (list.GetAt(i).Running.load() == 0) return true;
  return false;
}

// A temporary sample file name that names no existing file.
std::string TemporarySamplePath(const std::string& extension) {
  for (;;) {
    char number[16];
    std::snprintf(number, sizeof number, "%u", Random32());
    const std::string path = GetExePath() + number + extension;
    if (::access(path.c_str(), F_OK) != 0) return path;
  }
}

}  // namespace

std::string DefaultSampleDir() { return GetExePath() + "sample/"; }

std::string CheckTrainParams(const CTdbpAnnList& list, const CTrainParams& params) {
  CSampleSettings settings = SampleSettingsOf(params);
  std::string message = EnglishMessage(CheckSampleSettings(settings));
  if (!message.empty()) return message;
  if (list.IsEmpty()) return "there is no network to train";
  if (params.MaxRelearnCount < 0) return "MaxRelearnCount must not be negative";
  if (params.ShuffleSeed && (*params.ShuffleSeed < 0 || *params.ShuffleSeed > UINT32_MAX))
    return "ShuffleSeed must be between 0 and 4294967295";
  const CLearnOptions options = LearnOptionsOf(params);
  for (int i = 0; i < list.Count(); ++i) {
    message = CheckLearnValues(list.GetAt(i), options);
    if (!message.empty()) return message;
  }
  if (params.AnnName.empty() || params.AnnExtension.empty() || params.SampleExtension.empty())
    return "a network or sample file name is missing";
  return {};
}

int BatchTrain(CTdbpAnnList& list, std::atomic<int>* currRelearnCount, int n, int start, int end,
               int maxRelearnCount, const std::string& name, const std::string& extension,
               const std::string& samplePath, const CLearnOptions& options) {
  if (name.empty() || extension.empty() || samplePath.empty() || list.IsEmpty()) return 0;
  // Refused before anything runs: every network that may take part must
  // accept the values.
  for (int i = 0; i < list.Count(); ++i) {
    const std::string refusal = CheckLearnValues(list.GetAt(i), options);
    if (!refusal.empty()) {
      AppendLog(TrainingLogPath(RunName(name, i)), "   Refused: %s.\n", refusal.c_str());
      if (options.Error) *options.Error = refusal;
      return 0;
    }
  }
  list.SetRunning(1);
  const bool both = start == -1 && end == -1;
  const int c = n == 0 ? 1 : n < 0 ? list.Count() : std::min(n, list.Count());
  if (start < 0 || start >= c) start = 0;
  if (end < 0 || end >= c) end = 0;
  if (start > end) end = c + start - 1;  // the range wraps; indexes are taken modulo c

  CLearnOptions runOptions = options;
  runOptions.DriverOwnsRunning = true;
  for (int pass = 1; pass <= maxRelearnCount; ++pass) {
    if (currRelearnCount) *currRelearnCount = pass;
    bool ok = true;
    if (n <= 1 || both) {
      for (int i = start; i <= end && ok; ++i)
        ok = !Stopping(list, options) &&
             TrainEvery(list, i % c, RunName(name, i % c), extension, samplePath, runOptions);
    } else if (end - start + 1 == c) {
      ok = !Stopping(list, options) && TrainList(list, name, extension, samplePath, runOptions);
    } else {
      for (int i = start; i <= end && ok; ++i)
        ok = !Stopping(list, options) &&
             TrainCategory(list, i % c, RunName(name, i % c), extension, samplePath, runOptions);
    }
    if (!ok) {
      list.SetRunning(0);
      return 0;
    }
  }
  list.SetRunning(0);
  return 1;
}

int BatchTrainFromRecords(CGame& game, const std::string& rootDir, const CTrainParams& params,
                          std::atomic<int>* currRelearnCount) {
  CTdbpAnnList& list = game.Engine.Evaluator.AnnList;
  const std::string refusal = CheckTrainParams(list, params);
  if (!refusal.empty()) {
    AppendLog(SampleLogPath(), "   Refused: %s.\n", refusal.c_str());
    if (params.Error) *params.Error = refusal;
    return 0;
  }
  const std::string sampleDir = SampleDirOf(params);
  GenerateSamples(game, rootDir, params.AnnName, sampleDir, params.SampleExtension,
                  SampleSettingsOf(params));
  return BatchTrain(list, currRelearnCount, list.Count(), params.StartTdbpAnnIndex,
                    params.EndTdbpAnnIndex, params.MaxRelearnCount, params.AnnName,
                    params.AnnExtension, sampleDir, LearnOptionsOf(params));
}

int TrainFromGameRecord(CGame& game, const std::string& recordPath, const CTrainParams& params,
                        std::atomic<int>* currRelearnCount) {
  CTdbpAnnList& list = game.Engine.Evaluator.AnnList;
  const std::string refusal = CheckTrainParams(list, params);
  if (!refusal.empty()) {
    AppendLog(TrainingListLogPath(params.AnnName), "   Refused: %s.\n", refusal.c_str());
    if (params.Error) *params.Error = refusal;
    return 0;
  }
  CSampleRun run;
  run.StartTick = GetTick();
  if (!AddGameSamples(game, run, recordPath, params.AnnName, SampleDirOf(params),
                      params.SampleExtension, SampleSettingsOf(params)))
    return 0;
  const std::string path = TemporarySamplePath(params.SampleExtension);
  if (!run.Patterns.Save(path, 1)) return 0;
  const int count = list.Count();
  if (!BatchTrain(list, currRelearnCount, count + 1, params.StartTdbpAnnIndex, count - 1,
                  params.MaxRelearnCount, params.AnnName, params.AnnExtension, path,
                  LearnOptionsOf(params)))
    return 0;  // the sample file stays for a look
  std::remove(path.c_str());
  return 1;
}

CJobError CheckBatchTrainingSettings(const CTrainParams& params) {
  // Every number first, so a bad value is named whatever the folders hold.
  if (CJobError e = CheckSampleSettings(SampleSettingsOf(params))) return e;
  const std::pair<const char*, std::optional<double>> values[] = {
      {"StartTdbpAnnIndex", params.StartTdbpAnnIndex},
      {"EndTdbpAnnIndex", params.EndTdbpAnnIndex},
      {"MaxRelearnCount", params.MaxRelearnCount},
      {"MaxLearnCount", params.MaxLearnCount},
      {"AutoSaveCount", params.AutoSaveCount},
      {"ThreadCount", params.ThreadCount},
      {"Alpha", params.Alpha},
      {"Lambda", params.Lambda},
      {"AlphaEnd", params.AlphaEnd},
      {"BatchSize", params.BatchSize},
      {"ShuffleSeed", params.ShuffleSeed},
  };
  // A learning value left unset keeps the network's own and is not checked here.
  for (const auto& [setting, value] : values)
    if (value)
      if (CJobError e = CheckRange(kBatchLearnRanges, setting, *value)) return e;
  if (!params.FromRecords) {
    // Without records, the sample folder must hold something to learn.
    std::vector<CDirEntry> entries;
    bool any = false;
    if (ListDirSorted(SampleDirOf(params), entries))
      for (const CDirEntry& entry : entries) any = any || (entry.IsRegular && !IsLeftoverTempName(entry.Name));
    if (!any) {
      CJobError refusal;
      refusal.Fault = CJobFault::NoInput;
      refusal.Setting = "SampleDir";
      refusal.Path = SampleDirOf(params);
      refusal.Detail = "no sample files";
      return refusal;
    }
  }
  if (params.FromRecords) {
    std::error_code error;
    if (params.RootDir.empty() || !std::filesystem::exists(params.RootDir, error))
      return NoSuchFolder("RootDir", params.RootDir);
  }
  return {};
}

CSettingRanges BatchTrainingRanges() {
  static constexpr auto kAll = [] {
    std::array<CSettingRange, std::size(kSampleRanges) + std::size(kBatchLearnRanges)> all {};
    auto end = std::copy(std::begin(kSampleRanges), std::end(kSampleRanges), all.begin());
    std::copy(std::begin(kBatchLearnRanges), std::end(kBatchLearnRanges), end);
    return all;
  }();
  return kAll;
}

CTrainParams BatchTrainingDefaults(const CTdbpAnnList& list, int index) {
  CTrainParams params;
  params.CullDraw = 0;
  params.StartTdbpAnnIndex = -1;
  params.EndTdbpAnnIndex = -1;
  params.MaxRelearnCount = 10000000;
  if (index >= 0 && index < list.Count()) {
    const CTdbpAnn& network = list.GetAt(index);
    params.MaxLearnCount = network.MaxLearnCount;
    params.AutoSaveCount = network.AutoSaveCount;
    params.ThreadCount = network.ThreadCount;
    params.Alpha = network.Alpha;
    params.Lambda = network.Lambda;
  }
  return params;
}

CJobError CheckBatchTraining(const CTdbpAnnList& list, const CTrainParams& params) {
  if (CJobError e = CheckBatchTrainingSettings(params)) return e;
  const std::string refusal = CheckTrainParams(list, params);
  if (!refusal.empty()) {
    CJobError e;
    e.Fault = CJobFault::Failed;
    e.Detail = refusal;
    return e;
  }
  return {};
}

CJobError RunBatchTraining(CTdbpAnnList& list, const CTrainParams& params, CJobControl& control,
                           CBatchTrainingResult& result) {
  result = CBatchTrainingResult {};
  if (CJobError refusal = CheckBatchTraining(list, params)) return refusal;
  const std::string sampleDir = SampleDirOf(params);
  if (params.FromRecords) {
    CSampleSettings samples = SampleSettingsOf(params);
    samples.RootDir = params.RootDir;
    samples.SampleDir = sampleDir;
    samples.NameForRoot = true;
    // Records that give no game are the end: training the old samples instead
    // would pass for a training on these records.
    if (CJobError failure = RunSampleGeneration(samples, control, result.Samples)) return failure;
  }
  std::string error, unwritable;
  CLearnOptions learn = LearnOptionsOf(params);
  learn.StopRequest = &control.StopRequested;
  learn.Error = &error;
  learn.UnwritablePath = &unwritable;
  learn.Report = &result.Learn;
  learn.OnProgress = [&](const CTrainProgress& at) {
    if (at.PassEnded) ++result.Passes;
    CJobProgress progress;
    progress.Done = at.CurrLearnCount;
    progress.Total = at.MaxLearnCount;
    progress.Current = at.RunName;
    control.Report(progress);
    if (params.OnProgress) params.OnProgress(at);
  };
  std::atomic<int> relearn {0};
  const int trained = BatchTrain(list, params.CurrRelearnCount ? params.CurrRelearnCount : &relearn, list.Count(), params.StartTdbpAnnIndex, params.EndTdbpAnnIndex,
                                 params.MaxRelearnCount, params.AnnName, params.AnnExtension, sampleDir, learn);
  if (result.Learn.SkippedFiles > 0)
    control.Note(std::to_string(result.Learn.SkippedFiles) + " sample files skipped (named in the log)");
  if (!error.empty()) {
    CJobError failure;
    failure.Fault = !unwritable.empty()                             ? CJobFault::CannotWrite
                    : error.rfind("no usable sample file", 0) == 0 ? CJobFault::NoInput
                                                                   : CJobFault::Failed;
    failure.Path = failure.Fault == CJobFault::CannotWrite ? unwritable
                   : failure.Fault == CJobFault::NoInput   ? sampleDir
                                                           : "";
    // The path is the error's own; the detail says why without it.
    failure.Detail = error;
    if (!unwritable.empty() && failure.Detail.ends_with(" " + unwritable))
      failure.Detail.resize(failure.Detail.size() - unwritable.size() - 1);
    return failure;
  }
  result.Stopped = control.Stopping();
  if (!trained && !result.Stopped) {
    CJobError failure;
    failure.Fault = CJobFault::Failed;
    failure.Detail = "the training did not finish (see the log)";
    return failure;
  }
  return {};
}
