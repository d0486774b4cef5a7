#pragma once
// Training runs over the sample files of a folder: passes over every file,
// a log line per pass, the network written after every file and pass (after
// every pass only when the patterns are shuffled), and a
// snapshot every AutoSaveCount passes (or only after the last pass, see
// CLearnOptions::SnapshotAtEndOnly). A run stops at the end of the pass in
// which a network's Running flag went to 0 (SetRunning(0)) or the stop
// request was set, and then returns 0.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ann/tdbp_ann_list.h"

// Where a run stands, for progress read-outs.
struct CTrainProgress {
  std::string RunName;          // eval000, or the list's name
  int32_t CurrLearnCount = 0;   // pass, from 1
  int32_t MaxLearnCount = 0;
  long long PositionsLearned = 0;  // statuses learned since the run started
  float Alpha = 0;                 // the learning rate of the pass
  bool PassEnded = false;          // false: after a sample file
};

// What a run found beside its result.
struct CLearnReport {
  int32_t UsableFiles = 0;   // sample files learned from
  int32_t SkippedFiles = 0;  // sample files passed over as damaged or unusable (named in the log)
};

// The values a run takes; one not given keeps the network's own.
struct CLearnOptions {
  std::optional<int32_t> MaxLearnCount;
  std::optional<int32_t> AutoSaveCount;
  std::optional<int32_t> ThreadCount;
  std::optional<float> Alpha;
  std::optional<float> Lambda;

  // Switches of the single-network run (TrainEvery). Left as they are, the
  // run learns as without them, bit for bit.
  // Shuffle: every pass visits the patterns of all sample files of the
  // folder in a random order of its own (fixed by ShuffleSeed and the pass;
  // without a seed, one drawn at the start of the run); the network is then
  // written at the end of each pass only.
  bool Shuffle = false;
  std::optional<uint32_t> ShuffleSeed;
  // The learning rate falls geometrically from Alpha at pass 1 to AlphaEnd
  // at pass MaxLearnCount (PassAlpha); the network keeps Alpha, the start.
  std::optional<float> AlphaEnd;
  // Patterns learned BatchSize at a time from the weights before the batch,
  // their updates summed and applied once, the batch shared among
  // ThreadCount threads (CBatchLearner). 1: pattern by pattern.
  std::optional<int32_t> BatchSize;
  // Adam steps instead of the plain update, batch by batch (CBatchLearner);
  // Alpha is then the step size, about 0.001..0.01.
  bool Adam = false;

  // Set to non-zero by another thread: stop at the end of the pass, as
  // SetRunning(0) does. Unlike the Running flags it is never set back, so a
  // request made before or between runs is not lost.
  const std::atomic<int>* StopRequest = nullptr;
  // Called after every sample file and at the end of every pass.
  std::function<void(const CTrainProgress&)> OnProgress;
  // One snapshot per run instead of one every AutoSaveCount passes: after
  // the pass that ends the run (its last, or the one a stop ends). The
  // networks' AutoSaveCount is neither used nor changed.
  bool SnapshotAtEndOnly = false;
  // While the data folder's disk has less than this free, no snapshot is
  // written, and the run ends there as when a write fails:
  // snapshots add up (one a pass by default), and a long run must not fill
  // the disk. Tests raise it to act out a full disk.
  long long MinFreeBytesForSnapshot = 64LL << 20;

  // Why a run was refused or failed, when it was: nothing to learn, a network
  // file that could not be written, a weight that stopped being a number.
  std::string* Error = nullptr;
  // The network file or snapshot folder a failed run could not write.
  std::string* UnwritablePath = nullptr;
  // Filled by a single-network run.
  CLearnReport* Report = nullptr;
  // Set by a driver that runs several runs in a row and owns the Running
  // flags itself: the runs then neither raise them at the start nor lower
  // them at the end, so a stop between two runs stays in force.
  bool DriverOwnsRunning = false;
};

// Empty when the options, over the network's own values, can be used;
// else the message that refuses them (AutoSaveCount below 1 when it sets
// the snapshots, ThreadCount above 64, a learning rate or trace decay that
// is not a number, BatchSize below 1, an AlphaEnd that is not a number
// above 0).
std::string CheckLearnValues(const CTdbpAnn& network, const CLearnOptions& options);

// One network (list[index]) learns from every status of every sample file
// in the folder samplePath. The run is named runName (eval000): its log is
// training_<runName>_ann.txt in the data folder, the network is written to
// <data folder><runName><extension> and the snapshots to
// <data folder>_<runName>_<local time>_<pass, 7 digits><extension>.
int TrainEvery(CTdbpAnnList& list, int index, const std::string& runName,
               const std::string& extension, const std::string& samplePath,
               const CLearnOptions& options);
// The same, but only statuses of category `index` train it, with
// ThreadCount threads per pattern.
int TrainCategory(CTdbpAnnList& list, int index, const std::string& runName,
                  const std::string& extension, const std::string& samplePath,
                  const CLearnOptions& options);
// Every network learns from the statuses of its own category. samplePath is
// a folder of sample files, or one sample file. Log training_<name>_ann_list.txt;
// snapshots are folders <data folder>_<name>_<local time>_<pass>/ holding the
// whole list.
int TrainList(CTdbpAnnList& list, const std::string& name, const std::string& extension,
              const std::string& samplePath, const CLearnOptions& options);

// The run name of network `index`: "%s%03d" from the list's name.
std::string RunName(const std::string& name, int index);
// The log of a single-network run and of a list run.
std::string TrainingLogPath(const std::string& runName);
std::string TrainingListLogPath(const std::string& name);
