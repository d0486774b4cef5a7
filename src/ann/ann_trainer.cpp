#include "ann/ann_trainer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "ann/batch_learner.h"
#include "ann/job_log.h"
#include "ann/learn_schedule.h"
#include "ann/sample_file.h"
#include "ann/td_learner.h"
#include "ann/training_samples.h"
#include "common/dir_list.h"
#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/random.h"
#include "common/tick.h"

namespace {

// Files of 4 GiB or more are not taken.
constexpr std::uintmax_t kMaxSampleFileBytes = 1ULL << 32;
// A shuffled pass reports its progress after about this many patterns.
constexpr size_t kShuffledReportPatterns = 4096;

enum class ELearnMode { Every, Category };

// What the passes of one run share.
struct CRun {
  CTdbpAnnList& List;
  const CLearnOptions& Options;
  std::string Log;
  CTrainBuffers Buffers;
  CTrainProgress Progress;
};

bool StopRequested(const CLearnOptions& options) {
  return options.StopRequest && options.StopRequest->load() != 0;
}

void Refuse(const CLearnOptions& options, const std::string& log, const std::string& message) {
  AppendLog(log, "   Refused: %s.\n", message.c_str());
  if (options.Error) *options.Error = message;
}

// A file or folder of the run could not be written: the run ends naming it.
void RefuseUnwritable(const CLearnOptions& options, const std::string& log, const std::string& message,
                      const std::string& path) {
  Refuse(options, log, message + " " + path);
  if (options.UnwritablePath) *options.UnwritablePath = path;
}

// Whether a snapshot may go to `folder`: its disk must have the options'
// floor free, far more than a snapshot takes (a disk whose free space
// cannot be read is let be).
bool RoomForSnapshot(const CLearnOptions& options, const std::string& folder) {
  const long long available = FreeBytes(folder);
  return available < 0 || available >= options.MinFreeBytesForSnapshot;
}

// The run ends at a snapshot the floor keeps out.
void RefuseSnapshotWithoutRoom(const CLearnOptions& options, const std::string& log, const std::string& path) {
  RefuseUnwritable(options, log,
                   "less than " + std::to_string(options.MinFreeBytesForSnapshot >> 20) +
                       " MB is free on the disk for a snapshot",
                   path);
}

// Whether the pass that just ended writes a snapshot.
bool SnapshotDue(const CLearnOptions& options, int32_t pass, int32_t maxLearnCount, int32_t autoSaveCount,
                 bool stopping) {
  if (options.SnapshotAtEndOnly) return stopping || pass >= maxLearnCount;
  return pass % autoSaveCount == 0;
}

void Report(CRun& run, bool passEnded) {
  run.Progress.PassEnded = passEnded;
  if (run.Options.OnProgress) run.Options.OnProgress(run.Progress);
}

// Takes the supplied values into the network.
void StoreValues(CTdbpAnn& network, const CLearnOptions& options) {
  if (options.MaxLearnCount) network.MaxLearnCount = *options.MaxLearnCount;
  if (options.AutoSaveCount) network.AutoSaveCount = *options.AutoSaveCount;
  if (options.ThreadCount) network.ThreadCount = *options.ThreadCount;
  if (options.Alpha) network.Alpha = *options.Alpha;
  if (options.Lambda) network.Lambda = *options.Lambda;
}

// "_<local time>_<pass, 7 digits>", the tail of a snapshot's name.
std::string PassStamp(int pass) {
  char text[64];
  std::snprintf(text, sizeof text, "_%s_%07d", LocalTimeStamp().c_str(), pass);
  return text;
}

// The sample files of a folder, in byte order of their names; false when
// the folder cannot be listed.
bool ListSampleFiles(const std::string& folder, std::vector<std::string>& files) {
  std::vector<CDirEntry> entries;
  files.clear();
  if (!ListDirSorted(folder, entries)) return false;
  // A FIFO or device would block the reader; a "*.tmp-*" file is a sample
  // file whose writing was interrupted.
  for (const CDirEntry& entry : entries)
    if (entry.IsRegular && !IsLeftoverTempName(entry.Name) && entry.Size < kMaxSampleFileBytes)
      files.push_back(entry.Path);
  return true;
}

// The usable and the skipped sample files of the folder, before any learning.
CLearnReport SurveySampleFiles(const std::vector<std::string>& files, int count0,
                               int categoryLimit) {
  CLearnReport report;
  for (const std::string& path : files) {
    CSampleFile file;
    if (file.Open(path, count0, categoryLimit))
      ++report.UsableFiles;
    else
      ++report.SkippedFiles;
  }
  return report;
}

bool AllWeightsFinite(const CTdbpAnn& network) {
  for (const auto& row : network.Weight11s)
    for (float w : row)
      if (!std::isfinite(w)) return false;
  for (const auto& row : network.Weight12s)
    for (float w : row)
      if (!std::isfinite(w)) return false;
  for (float w : network.Weight2s)
    if (!std::isfinite(w)) return false;
  return true;
}

// The weights of a network as they last were when every one was a number.
struct CGoodWeights {
  std::vector<std::vector<float>> W11, W12;
  std::vector<float> W2;
  void Take(const CTdbpAnn& network) {
    W11 = network.Weight11s;
    W12 = network.Weight12s;
    W2 = network.Weight2s;
  }
  void PutBack(CTdbpAnn& network) const {
    network.Weight11s = W11;
    network.Weight12s = W12;
    network.Weight2s = W2;
    network.WeightsChanged();
  }
};

// Maps a sample file for the run; a file that cannot be used is logged and
// skipped (nullptr-like false).
bool OpenSampleFile(CRun& run, CSampleFile& file, const std::string& path, int count0,
                    int categoryLimit) {
  if (!file.Open(path, count0, categoryLimit)) {
    AppendLog(run.Log, "      Skipped %s: %s.\n", path.c_str(), file.Error().c_str());
    return false;
  }
  for (const std::string& note : file.Notes())
    AppendLog(run.Log, "      In %s: %s.\n", path.c_str(), note.c_str());
  return true;
}

// How the patterns of a single-network run are learned.
struct CLearner {
  ELearnMode Mode = ELearnMode::Every;
  int Index = 0;
  int BatchSize = 1;
  CBatchLearner* Batch = nullptr;  // when BatchSize > 1
};

void LearnPatterns(CRun& run, const CLearner& learner, const CPatternView* patterns, size_t count) {
  CTdbpAnn& network = run.List.GetAt(learner.Index);
  if (learner.Batch) {
    for (size_t at = 0; at < count; at += static_cast<size_t>(learner.BatchSize)) {
      const size_t size = std::min(count - at, static_cast<size_t>(learner.BatchSize));
      learner.Batch->Learn(network, patterns + at, static_cast<int>(size));
      for (size_t p = at; p < at + size; ++p) run.Progress.PositionsLearned += patterns[p].StatusCount;
    }
    return;
  }
  for (size_t p = 0; p < count; ++p) {
    if (learner.Mode == ELearnMode::Every)
      LearnPattern(network, patterns[p], run.Buffers);
    else
      LearnPatternCategory(run.List, learner.Index, patterns[p], run.Buffers, network.ThreadCount);
    run.Progress.PositionsLearned += patterns[p].StatusCount;
  }
}

// One shuffled pass: every file of the folder mapped for the pass, its
// patterns gathered and visited in the pass's order. Adds the patterns
// the files hold to patternCount.
void LearnShuffledPass(CRun& run, const CLearner& learner, const std::vector<std::string>& files,
                       int categoryLimit, uint32_t seed, int32_t& patternCount) {
  const CTdbpAnn& network = run.List.GetAt(learner.Index);
  std::vector<std::unique_ptr<CSampleFile>> mapped;
  std::vector<CPatternView> order;
  for (const std::string& path : files) {
    auto file = std::make_unique<CSampleFile>();
    if (!OpenSampleFile(run, *file, path, network.Count0, categoryLimit)) continue;
    patternCount += file->PatternCount();
    order.insert(order.end(), file->Patterns().begin(), file->Patterns().end());
    mapped.push_back(std::move(file));
  }
  ShufflePatterns(order, seed, network.CurrLearnCount);
  // Report in whole batches, so the batches are those of an unbroken walk.
  const size_t step = std::max<size_t>(kShuffledReportPatterns / static_cast<size_t>(learner.BatchSize), 1) *
                      static_cast<size_t>(learner.BatchSize);
  for (size_t at = 0; at < order.size(); at += step) {
    LearnPatterns(run, learner, order.data() + at, std::min(step, order.size() - at));
    Report(run, false);
  }
}

int TrainOne(CTdbpAnnList& list, int index, const std::string& runName,
             const std::string& extension, const std::string& samplePath,
             const CLearnOptions& options, ELearnMode mode) {
  const uint32_t start = GetTick();
  CRun run {list, options, TrainingLogPath(runName), {}, {}};
  if (index < 0 || index >= list.Count() || runName.empty() || samplePath.empty()) return 0;
  CTdbpAnn& network = list.GetAt(index);
  const std::string refusal = CheckLearnValues(network, options);
  if (!refusal.empty()) {
    Refuse(options, run.Log, refusal);
    return 0;
  }
  if (network.IsEmpty()) {
    Refuse(options, run.Log, "network " + runName + " is empty");
    return 0;
  }
  if (!run.Buffers.Allocate(network.Count0, network.Count11, network.Count12)) {
    Refuse(options, run.Log, "no memory for the work buffers");
    return 0;
  }
  if (!options.DriverOwnsRunning) network.Running = 1;
  StoreValues(network, options);
  AppendLog(run.Log, "\n");
  AppendLog(run.Log, "Training %s ann.\n", runName.c_str());

  const std::string networkPath = GetExePath() + runName + extension;
  run.Progress.RunName = runName;
  run.Progress.MaxLearnCount = network.MaxLearnCount;
  // Category mode needs every category to name a network of the list.
  const int categoryLimit = mode == ELearnMode::Category ? list.Count() : 0;
  int result = 1;
  std::vector<std::string> files;
  // Nothing to learn is a refusal, before the network file is touched: a run
  // over no samples would only write the same network again and again.
  ListSampleFiles(samplePath, files);
  const CLearnReport survey = SurveySampleFiles(files, network.Count0, categoryLimit);
  if (options.Report) *options.Report = survey;
  if (survey.UsableFiles == 0) {
    Refuse(options, run.Log,
           "no usable sample file in " + samplePath +
               (survey.SkippedFiles ? " (" + std::to_string(survey.SkippedFiles) + " skipped, see the log)" : ""));
    for (const std::string& path : files) {
      CSampleFile file;
      OpenSampleFile(run, file, path, network.Count0, categoryLimit);  // names each skipped file in the log
    }
    if (!options.DriverOwnsRunning) network.Running = 0;
    return 0;
  }
  // The switches of the every-status mode.
  CLearner learner;
  learner.Mode = mode;
  learner.Index = index;
  CBatchLearner batch;
  const bool switches = mode == ELearnMode::Every;
  if (switches && (options.BatchSize.value_or(1) > 1 || options.Adam)) {
    learner.BatchSize = options.BatchSize.value_or(1);
    if (!batch.Start(network, network.ThreadCount, options.Adam)) {
      Refuse(options, run.Log, "no memory for the work buffers");
      if (!options.DriverOwnsRunning) network.Running = 0;
      return 0;
    }
    learner.Batch = &batch;
  }
  const bool shuffle = switches && options.Shuffle;
  const uint32_t seed = shuffle ? options.ShuffleSeed.value_or(Random32()) : 0;
  // The network keeps the rate it was given; a pass may learn at another.
  const float startAlpha = network.Alpha;
  const float endAlpha = options.AlphaEnd.value_or(startAlpha);
  const auto save = [&](const std::string& path) {
    const float passAlpha = network.Alpha;
    network.Alpha = startAlpha;
    const int saved = network.Save(path);
    network.Alpha = passAlpha;
    return saved;
  };
  CGoodWeights good;
  good.Take(network);
  const auto fail = [&](const std::string& message) {
    Refuse(options, run.Log, message);
    result = 0;
  };
  const auto cannotWrite = [&](const std::string& path) {
    RefuseUnwritable(options, run.Log, "cannot write network file", path);
    result = 0;
  };
  for (network.CurrLearnCount = 1; network.CurrLearnCount <= network.MaxLearnCount;
       ++network.CurrLearnCount) {
    run.Progress.CurrLearnCount = network.CurrLearnCount;
    network.Alpha = PassAlpha(startAlpha, endAlpha, network.CurrLearnCount, network.MaxLearnCount);
    run.Progress.Alpha = network.Alpha;
    if (network.CurrLearnCount == 1) Report(run, false);  // the run's clock starts here
    int32_t patternCount = 0;
    ListSampleFiles(samplePath, files);
    if (shuffle) {
      LearnShuffledPass(run, learner, files, categoryLimit, seed, patternCount);
      if (!AllWeightsFinite(network)) {
        good.PutBack(network);
        fail("a weight stopped being a number in pass " + std::to_string(network.CurrLearnCount) +
             "; the last good network is kept");
        break;
      }
      good.Take(network);
    }
    for (const std::string& path : files) {
      if (shuffle) break;  // learned above, in the pass's order
      CSampleFile file;
      if (!OpenSampleFile(run, file, path, network.Count0, categoryLimit)) continue;
      patternCount += file.PatternCount();
      LearnPatterns(run, learner, file.Patterns().data(), file.Patterns().size());
      if (!AllWeightsFinite(network)) {
        good.PutBack(network);
        fail("a weight stopped being a number while learning " + path + " in pass " +
             std::to_string(network.CurrLearnCount) + "; the last good network is kept");
        break;
      }
      good.Take(network);
      if (!save(networkPath)) {
        cannotWrite(networkPath);
        break;
      }
      Report(run, false);
    }
    if (!result) break;
    if (!save(networkPath)) {
      cannotWrite(networkPath);
      break;
    }
    // Read once: the pass a stop ends is the run's last and may owe a snapshot.
    const bool stopping = network.Running.load() == 0 || StopRequested(options);
    if (SnapshotDue(options, network.CurrLearnCount, network.MaxLearnCount, network.AutoSaveCount, stopping)) {
      const std::string snapshot =
          UniqueFileName(GetExePath() + "_" + runName + PassStamp(network.CurrLearnCount), extension);
      if (!RoomForSnapshot(options, GetExePath())) {
        RefuseSnapshotWithoutRoom(options, run.Log, snapshot);
        result = 0;
        break;
      }
      if (!save(snapshot)) {
        cannotWrite(snapshot);
        break;
      }
    }
    AppendLog(run.Log, "   CurrLearnCount=%7d; PatternCount=%7d; ElapsedTime=%7d\n",
              network.CurrLearnCount, patternCount, SecondsSince(start));
    Report(run, true);
    if (stopping) {
      result = 0;
      break;
    }
  }
  network.Alpha = startAlpha;
  if (!options.DriverOwnsRunning) network.Running = 0;
  return result;
}

// One sample file of a list run.
void TrainListFile(CRun& run, const std::string& path, int32_t& patternCount) {
  CSampleFile file;
  if (!OpenSampleFile(run, file, path, run.List.GetAt(0).Count0, run.List.Count())) return;
  patternCount += file.PatternCount();
  for (const CPatternView& pattern : file.Patterns()) {
    LearnPatternList(run.List, pattern, run.Buffers);
    run.Progress.PositionsLearned += pattern.StatusCount;
  }
  Report(run, false);
}

bool AnyStopped(const CTdbpAnnList& list, const CLearnOptions& options) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.GetAt(i).Running.load() == 0) return true;
  return StopRequested(options);
}

}  // namespace

std::string RunName(const std::string& name, int index) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", index);
  return name + number;
}

std::string TrainingLogPath(const std::string& runName) {
  return GetExePath() + "training_" + runName + "_ann.txt";
}

std::string TrainingListLogPath(const std::string& name) {
  return GetExePath() + "training_" + name + "_ann_list.txt";
}

std::string CheckLearnValues(const CTdbpAnn& network, const CLearnOptions& options) {
  const int32_t autoSave = options.AutoSaveCount.value_or(network.AutoSaveCount);
  const int32_t threads = options.ThreadCount.value_or(network.ThreadCount);
  const float alpha = options.Alpha.value_or(network.Alpha);
  const float lambda = options.Lambda.value_or(network.Lambda);
  // The period divides pass numbers, unless the run takes a snapshot at its end only.
  if ((options.AutoSaveCount || !options.SnapshotAtEndOnly) && autoSave < 1)
    return "AutoSaveCount must be at least 1 (it is " + std::to_string(autoSave) + ")";
  if (threads > MAX_TRAIN_THREADS)
    return "ThreadCount must be at most " + std::to_string(MAX_TRAIN_THREADS) + " (it is " +
           std::to_string(threads) + ")";
  if (!std::isfinite(alpha)) return "Alpha is not a number";
  if (!std::isfinite(lambda)) return "Lambda is not a number";
  if (options.BatchSize && *options.BatchSize < 1)
    return "BatchSize must be at least 1 (it is " + std::to_string(*options.BatchSize) + ")";
  if (options.AlphaEnd) {
    if (!std::isfinite(*options.AlphaEnd) || !(*options.AlphaEnd > 0))
      return "AlphaEnd must be a number above 0";
    if (!(alpha > 0)) return "Alpha must be above 0 to fall to AlphaEnd";
  }
  return {};
}

int TrainEvery(CTdbpAnnList& list, int index, const std::string& runName,
               const std::string& extension, const std::string& samplePath,
               const CLearnOptions& options) {
  return TrainOne(list, index, runName, extension, samplePath, options, ELearnMode::Every);
}

int TrainCategory(CTdbpAnnList& list, int index, const std::string& runName,
                  const std::string& extension, const std::string& samplePath,
                  const CLearnOptions& options) {
  return TrainOne(list, index, runName, extension, samplePath, options, ELearnMode::Category);
}

int TrainList(CTdbpAnnList& list, const std::string& name, const std::string& extension,
              const std::string& samplePath, const CLearnOptions& options) {
  if (list.IsEmpty() || name.empty() || extension.empty() || samplePath.empty()) return 0;
  const uint32_t start = GetTick();
  CRun run {list, options, TrainingListLogPath(name), {}, {}};
  // Every value from the options or else from network 0, into every network.
  const CTdbpAnn& first = list.GetAt(0);
  CLearnOptions values = options;
  values.MaxLearnCount = options.MaxLearnCount.value_or(first.MaxLearnCount);
  // Snapshots at the end only leave every network's own period as it is.
  if (options.AutoSaveCount || !options.SnapshotAtEndOnly)
    values.AutoSaveCount = options.AutoSaveCount.value_or(first.AutoSaveCount);
  values.ThreadCount = options.ThreadCount.value_or(first.ThreadCount);
  values.Alpha = options.Alpha.value_or(first.Alpha);
  values.Lambda = options.Lambda.value_or(first.Lambda);
  std::string refusal = CheckLearnValues(first, values);
  for (int i = 0; i < list.Count() && refusal.empty(); ++i) {
    const CTdbpAnn& network = list.GetAt(i);
    if (network.IsEmpty() || network.Count0 != first.Count0 || network.Count11 != first.Count11 ||
        network.Count12 != first.Count12)
      refusal = "the networks of the list are not all of one size";
  }
  if (refusal.empty() && !run.Buffers.Allocate(first.Count0, first.Count11, first.Count12))
    refusal = "no memory for the work buffers";
  if (!refusal.empty()) {
    Refuse(options, run.Log, refusal);
    return 0;
  }
  if (!options.DriverOwnsRunning) list.SetRunning(1);
  for (int i = 0; i < list.Count(); ++i) StoreValues(list.GetAt(i), values);
  AppendLog(run.Log, "\n");
  AppendLog(run.Log, "Training %s ann list.\n", name.c_str());

  std::vector<CGoodWeights> good(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) good[static_cast<size_t>(i)].Take(list.GetAt(i));
  const int32_t maxLearn = *values.MaxLearnCount;
  const int32_t autoSave = values.AutoSaveCount.value_or(0);  // not used at the end only
  run.Progress.RunName = name;
  run.Progress.MaxLearnCount = maxLearn;
  std::vector<std::string> files;
  for (int32_t pass = 1; pass <= maxLearn; ++pass) {
    run.Progress.CurrLearnCount = pass;
    for (int i = 0; i < list.Count(); ++i) list.GetAt(i).CurrLearnCount = pass;
    int32_t patternCount = 0;
    if (!ListSampleFiles(samplePath, files)) {
      TrainListFile(run, samplePath, patternCount);  // not a folder: one sample file
    } else {
      for (const std::string& path : files) TrainListFile(run, path, patternCount);
    }
    bool finite = true;
    for (int i = 0; i < list.Count(); ++i) finite = finite && AllWeightsFinite(list.GetAt(i));
    if (!finite) {
      for (int i = 0; i < list.Count(); ++i) good[static_cast<size_t>(i)].PutBack(list.GetAt(i));
      Refuse(options, run.Log,
             "a weight stopped being a number in pass " + std::to_string(pass) + "; the last good networks are kept");
      if (!options.DriverOwnsRunning) list.SetRunning(0);
      return 0;
    }
    for (int i = 0; i < list.Count(); ++i) good[static_cast<size_t>(i)].Take(list.GetAt(i));
    const bool stopping = AnyStopped(list, options);
    if (SnapshotDue(options, pass, maxLearn, autoSave, stopping)) {
      const std::string folder =
          UniqueFileName(GetExePath() + "_" + name + PassStamp(pass), "") + "/";
      if (!RoomForSnapshot(options, GetExePath())) {
        RefuseSnapshotWithoutRoom(options, run.Log, folder);
        if (!options.DriverOwnsRunning) list.SetRunning(0);
        return 0;
      }
      EnsureDirectory(folder);
      if (!list.SaveAll(list.Count(), name.c_str(), extension.c_str(), folder.c_str())) {
        RefuseUnwritable(options, run.Log, "cannot write the networks to", folder);
        if (!options.DriverOwnsRunning) list.SetRunning(0);
        return 0;
      }
    }
    AppendLog(run.Log, "   CurrLearnCount=%7d; PatternCount=%7d; ElapsedTime=%7d\n", pass,
              patternCount, SecondsSince(start));
    Report(run, true);
    if (stopping) {
      if (!options.DriverOwnsRunning) list.SetRunning(0);
      return 0;
    }
  }
  if (!options.DriverOwnsRunning) list.SetRunning(0);
  return 1;
}
