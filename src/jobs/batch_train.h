#pragma once
// The batch-training driver and its two entry points: training from a tree
// of game records (samples generated first, then BatchTrain over the sample
// folder) and training from one freshly played game.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ann/ann_trainer.h"
#include "ann/td_learner.h"
#include "ann/tdbp_ann_list.h"
#include "jobs/job.h"
#include "jobs/sample_generation.h"
#include "jobs/setting_range.h"

class CGame;

// The parameter block of a training from records. The defaults are what
// game training passes; a learning value left unset keeps the network's own.
struct CTrainParams {
  // The records to turn into samples first (named for the folder, replacing
  // what an earlier run over it wrote); with FromRecords false the samples
  // already in SampleDir are learned.
  std::string RootDir;
  bool FromRecords = true;

  // Sample generation.
  int32_t CullDraw = 1;
  int32_t MaxPatternListBytes = 1073741824;
  int32_t TestOverflowFreq = 1000;
  float TestOverflowCoeff = 0.8f;
  int32_t MinStatusCount = 6;
  float MinMoveCoeff = 0.0f;
  // Search targets (see CSampleSettings); the defaults search nothing.
  int32_t SearchDepth = 0;
  float ScoreWeight = 0.0f;
  float ScoreScale = 400.0f;
  int32_t LeafPositions = 0;

  // Networks to train: -1 means no index given. TrainFromGameRecord uses
  // StartTdbpAnnIndex only and trains up to the last network.
  int32_t StartTdbpAnnIndex = 0;
  int32_t EndTdbpAnnIndex = 0;
  int32_t MaxRelearnCount = 1;

  // Learning; unset keeps the network's value. AutoSaveCount unset: one
  // snapshot after each run's last pass, whatever the network's own period
  // (which stays as it is).
  std::optional<int32_t> MaxLearnCount;
  std::optional<int32_t> AutoSaveCount;
  std::optional<int32_t> ThreadCount = 1;
  std::optional<float> Alpha;
  std::optional<float> Lambda;
  // Switches of the single-network run (see CLearnOptions); unset or false:
  // learning as without them.
  bool Shuffle = false;
  std::optional<int64_t> ShuffleSeed;  // 0..4294967295, checked with the rest
  std::optional<float> AlphaEnd;
  std::optional<int32_t> BatchSize;
  bool Adam = false;

  // Names: networks <name>NNN<extension>; sample files in SampleDir (empty:
  // the sample/ folder of the data folder) with SampleExtension.
  std::string AnnName = "eval";
  std::string AnnExtension = ".ann";
  std::string SampleDir;
  std::string SampleExtension = ".sam";

  // Not part of the block: a stop request that outlives the Running flags
  // (see CLearnOptions), progress of sample generation and of training,
  // and the refusal message.
  const std::atomic<int>* StopRequest = nullptr;
  std::function<void(int32_t loadedCount, int32_t offeredCount)> OnRecord;
  std::function<void(const CTrainProgress&)> OnProgress;
  std::string* Error = nullptr;
  std::atomic<int>* CurrRelearnCount = nullptr;  // the outer pass, for read-outs
};

// The data folder's sample/ folder, with a trailing "/".
std::string DefaultSampleDir();

// Empty when the block can be used with these networks, else the message
// that refuses it (TestOverflowFreq or AutoSaveCount below 1, ThreadCount
// above 64, ...).
std::string CheckTrainParams(const CTdbpAnnList& list, const CTrainParams& params);

// What a batch training found beside its end.
struct CBatchTrainingResult {
  CSampleRun Samples;  // the sample generation, when FromRecords
  CLearnReport Learn;  // sample files learned from and skipped
  int32_t Passes = 0;  // passes finished, over all runs
  bool Stopped = false;
};

// The limits of the learning settings (sample generation's are kSampleRanges).
inline constexpr CSettingRange kBatchLearnRanges[] = {
    {"StartTdbpAnnIndex", -1, 999},
    {"EndTdbpAnnIndex", -1, 999},
    {"MaxRelearnCount", 1, INT32_MAX},
    {"MaxLearnCount", 1, INT32_MAX},
    {"AutoSaveCount", 1, INT32_MAX},
    {"ThreadCount", 1, MAX_TRAIN_THREADS},
    {"Alpha", 0, 10, true},
    {"Lambda", 0, 1},
    {"AlphaEnd", 0, 10, true},
    {"BatchSize", 1, 65536},
    {"ShuffleSeed", 0, UINT32_MAX},
};
// Every limit a batch training is checked against: sample generation's and
// the learning's, in one table.
CSettingRanges BatchTrainingRanges();

// The values the batch-training dialog opens with: samples from every game
// (CullDraw 0), every network (no index range given), up to 10,000,000
// outer passes, and the learning values of the list's network at index
// (none when the list has no such network).
CTrainParams BatchTrainingDefaults(const CTdbpAnnList& list, int index = 0);

// The first setting that cannot be used, before the networks are looked at.
CJobError CheckBatchTrainingSettings(const CTrainParams& params);
// The first setting that cannot be used with these networks, or no error.
CJobError CheckBatchTraining(const CTdbpAnnList& list, const CTrainParams& params);

// The job: checks every setting, generates samples from RootDir with a game
// of its own (FromRecords), then trains the list over the sample folder.
// Refuses when there is nothing to learn; fails when a network file cannot
// be written or a weight stops being a number (the last good network stays).
// Progress: Done = pass, Total = passes, Current = run name.
CJobError RunBatchTraining(CTdbpAnnList& list, const CTrainParams& params, CJobControl& control,
                           CBatchTrainingResult& result);

// The driver. n: how many networks take part (0: one, below 0: the whole
// list); start/end: the range of networks, -1 for none given, wrapping
// around when start > end. Runs maxRelearnCount outer passes, each:
//   n <= 1 or no range given: TrainEvery on each network of the range;
//   the range covers all n networks: TrainList once;
//   otherwise TrainCategory on each network of the range.
// 1 when every run ended normally; 0 when refused or stopped.
// currRelearnCount, when given, shows the outer pass.
int BatchTrain(CTdbpAnnList& list, std::atomic<int>* currRelearnCount, int n, int start, int end,
               int maxRelearnCount, const std::string& name, const std::string& extension,
               const std::string& samplePath, const CLearnOptions& options);

// Generates samples from the records below rootDir into the sample folder,
// then, whatever that gave, BatchTrain over the sample folder with all the
// game's networks (game.Engine.Evaluator.AnnList).
int BatchTrainFromRecords(CGame& game, const std::string& rootDir, const CTrainParams& params,
                          std::atomic<int>* currRelearnCount = nullptr);

// Trains the game's networks on one game record: its patterns go to a
// temporary sample file <data folder><random number>.sam that one list run
// learns from and that is deleted on success. 0 when the record cannot be
// loaded, the block is refused, or the training failed or was stopped.
// A game that sample generation skips (CullDraw, MinStatusCount) trains
// nothing and still gives 1.
int TrainFromGameRecord(CGame& game, const std::string& recordPath, const CTrainParams& params,
                        std::atomic<int>* currRelearnCount = nullptr);
