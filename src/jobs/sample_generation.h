#pragma once
// Sample generation: every game record below a folder becomes two patterns,
// the game as played and its left-right mirror, gathered in a pattern list
// that is written to a new sample file whenever its estimated size passes a
// budget, and once more at the end. Progress goes to gen_sample_list.txt in
// the data folder.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ann/training_samples.h"
#include "jobs/job.h"
#include "jobs/setting_range.h"

class CGame;

// The limits CheckSampleSettings holds every setting to.
inline constexpr CSettingRange kSampleRanges[] = {
    {"CullDraw", 0, 1},
    {"MaxPatternListBytes", 1, INT32_MAX},
    {"TestOverflowFreq", 1, INT32_MAX},
    {"TestOverflowCoeff", 0, 1, true},
    {"MinStatusCount", 0, 1024},
    {"MinMoveCoeff", 0, 1},
    {"TimeBudgetSeconds", 0, INT32_MAX},
    {"LogPeriod", 1, INT32_MAX},
    {"SearchDepth", 0, 8},
    {"ScoreWeight", 0, 1},
    {"ScoreScale", 1, 100000},
    {"LeafPositions", 0, 1},
};

struct CSampleSettings {
  std::string RootDir;                        // the folder of game records, or one record file
  std::string SampleDir;                      // empty: the data folder's sample/
  // Name the files for RootDir and replace the ones an earlier run over the
  // same RootDir wrote, so training twice over one folder does not count its
  // games twice.
  bool NameForRoot = false;
  int32_t CullDraw = 0;                       // skip games that are neither "1-0" nor "0-1"
  int32_t MaxPatternListBytes = 1073741824;   // memory budget of the pattern list
  int32_t TestOverflowFreq = 1000;            // test the budget at multiples of this pattern count
  float TestOverflowCoeff = 0.8f;             // fraction of the budget that makes a flush
  int32_t MinStatusCount = 6;                 // games of fewer moves are skipped
  float MinMoveCoeff = 0.0f;                  // fraction of each game's first moves not sampled
  int32_t TimeBudgetSeconds = 604800;         // no folder is entered after this much time
  int32_t LogPeriod = 1000;                   // a log line every this many games taken
  // Search targets: the piece-value model searches every sampled position
  // this many plies deep (0: no search). With ScoreWeight above 0 every
  // position becomes a pattern of its own whose target blends the game's
  // result with the search's score (ScoreScale centipawns to one unit of
  // the logistic); with LeafPositions the position at the end of the
  // search's principal line is sampled instead of the position itself.
  int32_t SearchDepth = 0;
  float ScoreWeight = 0.0f;
  float ScoreScale = 400.0f;
  int32_t LeafPositions = 0;

  // Set to non-zero by another thread: no further record is taken, and what
  // was gathered is written as at the end of the walk.
  const std::atomic<int>* StopRequest = nullptr;
  // Called after every file offered to the loader.
  std::function<void(int32_t loadedCount, int32_t offeredCount)> OnRecord;
};

// The state of one run.
struct CSampleRun {
  CPatternList Patterns;
  int32_t LoadedCount = 0;               // games taken
  int32_t OfferedCount = 0;              // files offered to the loader
  std::vector<int32_t> CategoryCounts;   // statuses added per category, played and mirrored
  uint32_t StartTick = 0;
  long long EstimatedPatternBytes = 0;   // the patterns' part of the list's size estimate
  std::vector<std::string> WrittenFiles;  // sample files written, in order
  std::vector<std::string> FailedFiles;   // sample files that could not be written
  std::string FailedRecord;               // the record a single-record run could not load
  std::vector<std::string> SkippedRecords;  // "path: why" of files that are no whole game
  std::string Error;                      // why the run was refused
  bool Stopped = false;                   // a stop request ended the walk
  std::string RootPrefix;                 // set for files named for the root
};

// The first setting that cannot be used, or no error (RootDir is not looked at).
CJobError CheckSampleSettings(const CSampleSettings& settings);

// CheckSampleSettings and RootDir: the job's whole check, before any work.
CJobError CheckSampleJob(const CSampleSettings& settings);

// The job: checks every setting (RootDir too), then generates the sample
// files from RootDir with a game of its own, so the player's game is left as
// it was. Progress: Done = files offered, Wins = games taken. Refuses when
// no game was taken; records that are no whole game are skipped, counted
// and named (run.SkippedRecords, the log, control's notes).
CJobError RunSampleGeneration(const CSampleSettings& settings, CJobControl& control, CSampleRun& run);

// Walks rootDir (a folder, or one record file) into sample files
// sampleDir + name + "_<local time>" + extension. 1 when at least one game
// was taken and the walk did not fail; 0 otherwise (then patterns gathered
// since the last flush are not written). run, when given, receives the
// run's state.
int GenerateSamples(CGame& game, const std::string& rootDir, const std::string& name,
                    const std::string& sampleDir, const std::string& extension,
                    const CSampleSettings& settings, CSampleRun* run = nullptr);

// Loads one record into the game and adds its two patterns to run.Patterns
// (unless it is skipped), then flushes the list when it outgrew the budget.
// 1 when the record was taken or skipped, 0 when it could not be loaded.
int AddGameSamples(CGame& game, CSampleRun& run, const std::string& recordPath,
                   const std::string& name, const std::string& sampleDir,
                   const std::string& extension, const CSampleSettings& settings);

// The sample-generation log in the data folder.
std::string SampleLogPath();
