// The batch-training job at its edges: nothing to learn, a network that
// cannot be written, the same records trained twice, settings out of range,
// files that are no sample file, and the player's game left alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

#include "common/exe_path.h"
#include "jobs/batch_train.h"
#include "train_test_support.h"

namespace {

using BatchTrainingJob = TrainSuite;

CTrainParams RecordsParams(const std::string& root) {
  CTrainParams params;
  params.RootDir = root;
  params.CullDraw = 0;
  params.StartTdbpAnnIndex = -1;
  params.EndTdbpAnnIndex = -1;
  params.MaxLearnCount = 1;
  return params;
}

// A copy of the test games, so the runs write beside nothing shared.
std::string CopyGames(const std::string& folder) {
  std::filesystem::create_directories(folder);
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "game0" + std::to_string(i) + ".pgn";
    std::filesystem::copy_file(TestDataPath("games/" + name), folder + name);
  }
  return folder;
}

TEST_F(BatchTrainingJob, NothingToLearnIsRefusedAndWritesNoNetwork) {
  const std::string data = GetExePath();
  std::filesystem::create_directories(data + "empty");
  std::filesystem::create_directories(data + "notes");
  std::ofstream(data + "notes/notes.txt") << "remember to buy milk\n";
  const struct {
    const char* Case;
    std::string Root;  // empty: train the sample folder as it is
    CJobFault Fault;
    const char* Setting;
  } cases[] = {
      {"missing RootDir", data + "missing", CJobFault::NoSuchFolder, "RootDir"},
      {"empty RootDir string", "", CJobFault::NoSuchFolder, "RootDir"},
      {"empty RootDir", data + "empty", CJobFault::NoInput, "RootDir"},
      {"no game in RootDir", data + "notes", CJobFault::NoInput, "RootDir"},
      {"no sample folder", "", CJobFault::NoInput, "SampleDir"},
  };
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  const CTdbpAnn before = list.GetAt(0);
  for (const auto& c : cases) {
    CTrainParams params = RecordsParams(c.Root);
    params.FromRecords = std::string(c.Case) != "no sample folder";
    CJobControl control;
    CBatchTrainingResult result;
    const CJobError error = RunBatchTraining(list, params, control, result);
    EXPECT_EQ(error.Fault, c.Fault) << c.Case << ": " << EnglishMessage(error);
    EXPECT_EQ(error.Setting, c.Setting) << c.Case;
    EXPECT_FALSE(std::filesystem::exists(data + "eval000.ann")) << c.Case;
    EXPECT_FALSE(std::filesystem::exists(data + "sample")) << c.Case;
  }
  EXPECT_TRUE(list.GetAt(0).Weight2s == before.Weight2s);
}

// Every file of the sample folder unusable: damaged, a target outside 0..1,
// a FIFO (which would block its reader), a leftover of an interrupted write.
TEST_F(BatchTrainingJob, SampleFolderWithoutUsableFilesIsRefusedWithoutBlocking) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  const std::string samples = GetExePath() + "sample/";
  CJobControl control;
  CBatchTrainingResult result;
  ASSERT_FALSE(RunBatchTraining(list, RecordsParams(CopyGames(GetExePath() + "games/")), control, result));
  ASSERT_EQ(result.Samples.WrittenFiles.size(), 1u);
  const std::string good = result.Samples.WrittenFiles[0];
  std::string bytes = ReadFile(good);
  std::filesystem::remove(good);
  std::filesystem::remove(GetExePath() + "eval000.ann");
  // The last four bytes are the last pattern's target.
  const float huge = 1e30f;
  std::string wild = bytes;
  std::memcpy(wild.data() + wild.size() - 4, &huge, 4);
  std::ofstream(samples + "wild.sam", std::ios::binary) << wild;
  std::ofstream(samples + "cut.sam", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  std::ofstream(samples + "eval_x.sam.tmp-AbC123", std::ios::binary) << bytes;
  ASSERT_EQ(::mkfifo((samples + "pipe.sam").c_str(), 0644), 0);

  CTrainParams params = RecordsParams("");
  params.FromRecords = false;
  const CJobError error = RunBatchTraining(list, params, control, result);
  EXPECT_EQ(error.Fault, CJobFault::NoInput) << EnglishMessage(error);
  EXPECT_EQ(result.Learn.SkippedFiles, 2);
  EXPECT_FALSE(std::filesystem::exists(GetExePath() + "eval000.ann"));
  EXPECT_NE(ReadFile(GetExePath() + "training_eval000_ann.txt").find("wild.sam: pattern"), std::string::npos);

  // One good file among them: learned, and the skipped ones counted.
  std::ofstream(samples + "good.sam", std::ios::binary) << bytes;
  std::vector<std::string> notes;
  control.OnNote = [&](const std::string& line) { notes.push_back(line); };
  EXPECT_FALSE(RunBatchTraining(list, params, control, result));
  EXPECT_EQ(result.Learn.UsableFiles, 1);
  EXPECT_EQ(result.Learn.SkippedFiles, 2);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0], "2 sample files skipped (named in the log)");
}

TEST_F(BatchTrainingJob, NetworkThatCannotBeWrittenFailsTheRunWithThePath) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  // A folder where the network file goes: the rename over it fails, even as root.
  std::filesystem::create_directories(GetExePath() + "eval000.ann/x");
  CJobControl control;
  CBatchTrainingResult result;
  const CJobError error = RunBatchTraining(list, RecordsParams(CopyGames(GetExePath() + "games/")), control, result);
  EXPECT_EQ(error.Fault, CJobFault::CannotWrite) << EnglishMessage(error);
  EXPECT_EQ(error.Path, GetExePath() + "eval000.ann");
}

// A snapshot that cannot be written ends the run with the snapshot's path,
// spaces and all, and the network file stays whole. The file system refuses
// the name: at 255 bytes a name, "<name>000.ann.tmp-XXXXXX" fits and
// "_<name>000_<time>_<pass>.ann.tmp-XXXXXX" does not.
TEST_F(BatchTrainingJob, SnapshotThatCannotBeWrittenFailsTheRunWithItsPath) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  CJobControl control;
  CBatchTrainingResult result;
  ASSERT_FALSE(RunBatchTraining(list, RecordsParams(CopyGames(GetExePath() + "games/")), control, result));
  const std::string name = "my net " + std::string(213, 'n');
  const struct {
    std::optional<int32_t> AutoSaveCount;
    int FailingPass;  // the first pass that writes a snapshot
  } cases[] = {{std::nullopt, 3}, {2, 2}};
  for (const auto& c : cases) {
    CTrainParams params = RecordsParams("");
    params.FromRecords = false;
    params.AnnName = name;
    params.MaxLearnCount = 3;
    params.AutoSaveCount = c.AutoSaveCount;
    const CJobError error = RunBatchTraining(list, params, control, result);
    EXPECT_EQ(error.Fault, CJobFault::CannotWrite) << EnglishMessage(error);
    char tail[32];
    std::snprintf(tail, sizeof tail, "_%07d.ann", c.FailingPass);
    EXPECT_TRUE(error.Path.starts_with(GetExePath() + "_" + name + "000_")) << error.Path;
    EXPECT_TRUE(error.Path.ends_with(tail)) << error.Path;
    EXPECT_EQ(result.Passes, c.FailingPass - 1);
    CTdbpAnn saved;
    EXPECT_EQ(saved.Load(GetExePath() + name + "000.ann"), 1);
    for (const std::string& entry : Names(GetExePath()))
      EXPECT_EQ(entry.find(".tmp-"), std::string::npos) << entry;
  }
}

TEST_F(BatchTrainingJob, TrainingTwiceOverOneFolderCountsItsGamesOnce) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  const std::string games = CopyGames(GetExePath() + "games/");
  std::ofstream(games + "notes.txt") << "not a game\n";
  for (int run = 1; run <= 3; ++run) {
    CJobControl control;
    CBatchTrainingResult result;
    ASSERT_FALSE(RunBatchTraining(list, RecordsParams(games), control, result)) << run;
    EXPECT_EQ(result.Samples.LoadedCount, 5);
    EXPECT_EQ(result.Samples.SkippedRecords.size(), 1u);
    EXPECT_EQ(Names(GetExePath() + "sample").size(), 1u) << run;
  }
  // Every pass of every run learned the same 10 patterns (5 games, mirrored).
  const std::string log = ReadFile(GetExePath() + "training_eval000_ann.txt");
  size_t passes = 0;
  for (size_t at = log.find("PatternCount="); at != std::string::npos; at = log.find("PatternCount=", at + 1)) {
    EXPECT_EQ(log.substr(at, 20), "PatternCount=     10");
    ++passes;
  }
  EXPECT_EQ(passes, 3u);
}

TEST_F(BatchTrainingJob, OutOfRangeSettingsAreRefusedNamingTheSetting) {
  const struct {
    const char* Setting;
    void (*Set)(CTrainParams&);
  } cases[] = {
      {"MaxLearnCount", [](CTrainParams& p) { p.MaxLearnCount = -1; }},
      {"AutoSaveCount", [](CTrainParams& p) { p.AutoSaveCount = 0; }},
      {"ThreadCount", [](CTrainParams& p) { p.ThreadCount = 65; }},
      {"Alpha", [](CTrainParams& p) { p.Alpha = 0; }},
      {"Lambda", [](CTrainParams& p) { p.Lambda = -5; }},
      {"MaxRelearnCount", [](CTrainParams& p) { p.MaxRelearnCount = -1; }},
      {"TestOverflowFreq", [](CTrainParams& p) { p.TestOverflowFreq = 0; }},
      {"MinMoveCoeff", [](CTrainParams& p) { p.MinMoveCoeff = 1.5f; }},
      {"StartTdbpAnnIndex", [](CTrainParams& p) { p.StartTdbpAnnIndex = -2; }},
      {"BatchSize", [](CTrainParams& p) { p.BatchSize = 0; }},
      {"AlphaEnd", [](CTrainParams& p) { p.AlphaEnd = 0; }},
      {"AlphaEnd", [](CTrainParams& p) { p.AlphaEnd = std::numeric_limits<float>::quiet_NaN(); }},
      {"AlphaEnd", [](CTrainParams& p) { p.AlphaEnd = std::numeric_limits<float>::infinity(); }},
  };
  // The bad number is named before any folder is looked at: from records,
  // and from a sample folder that holds nothing.
  for (const bool fromRecords : {true, false}) {
    for (const auto& c : cases) {
      CTrainParams params = RecordsParams(TestDataPath("games"));
      params.FromRecords = fromRecords;
      c.Set(params);
      const CJobError error = CheckBatchTraining(game->Engine.Evaluator.AnnList, params);
      EXPECT_EQ(error.Fault, CJobFault::OutOfRange) << c.Setting << " fromRecords=" << fromRecords;
      EXPECT_EQ(error.Setting, c.Setting);
    }
  }
}

TEST_F(BatchTrainingJob, ThePlayersGameIsLeftAsItWas) {
  CGame& player = *game;
  ASSERT_TRUE(WriteRecord(player, GetExePath() + "mine.pgn", FirstMoves(3), "*"));
  player.Red = "Alice";
  player.Event = "Club night";
  const std::string fen = player.Position().Fen(player.RedToMove);
  CJobControl control;
  CBatchTrainingResult result;
  ASSERT_FALSE(RunBatchTraining(player.Engine.Evaluator.AnnList, RecordsParams(CopyGames(GetExePath() + "games/")),
                                control, result));
  EXPECT_EQ(player.Red, "Alice");
  EXPECT_EQ(player.Event, "Club night");
  EXPECT_EQ(player.Result, "*");
  EXPECT_EQ(player.Record().Current, 2);
  EXPECT_EQ(player.Position().Fen(player.RedToMove), fen);
}

}  // namespace
