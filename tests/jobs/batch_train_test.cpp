// The batch driver: mode choice, index wrapping, stops, and the two entry
// points from game records.
#include "jobs/batch_train.h"

#include <gtest/gtest.h>

#include "jobs/sample_generation.h"
#include "common/exe_path.h"
#include "train_test_support.h"

namespace {

using BatchTrainTest = TrainSuite;

TEST_F(BatchTrainTest, TrainFromGameRecordChangesTheNetworkAndRemovesItsSampleFile) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  ASSERT_EQ(list.Count(), 1);
  const CTdbpAnn before = list.GetAt(0);
  CTrainParams params;
  params.CullDraw = 0;  // the record has no result: "*"
  params.MaxLearnCount = 2;
  params.AutoSaveCount = 1;
  ASSERT_EQ(TrainFromGameRecord(*game, TestDataPath("games/game01.pgn"), params), 1);
  const CTdbpAnn& after = list.GetAt(0);
  EXPECT_TRUE(after.Weight2s != before.Weight2s);
  EXPECT_TRUE(after.Weight11s != before.Weight11s);
  EXPECT_EQ(after.Running.load(), 0);
  // No temporary sample file left; the list log and two snapshot folders.
  int samples = 0, snapshots = 0;
  for (const std::string& name : Names(GetExePath())) {
    if (name.ends_with(".sam")) ++samples;
    if (name.starts_with("_eval_")) {
      ++snapshots;
      EXPECT_TRUE(std::filesystem::exists(GetExePath() + name + "/eval000.ann")) << name;
    }
  }
  EXPECT_EQ(samples, 0);
  EXPECT_EQ(snapshots, 2);
  const std::string log = ReadFile(GetExePath() + "training_eval_ann_list.txt");
  EXPECT_NE(log.find("\nTraining eval ann list.\n   CurrLearnCount=      1; PatternCount=      2; "
                     "ElapsedTime="),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("   CurrLearnCount=      2; PatternCount=      2; "), std::string::npos);
}

TEST_F(BatchTrainTest, FromRecordsGeneratesSamplesThenTrainsOnTheSampleFolder) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  const CTdbpAnn before = list.GetAt(0);
  CTrainParams params;
  params.CullDraw = 0;
  params.StartTdbpAnnIndex = -1;
  params.EndTdbpAnnIndex = -1;
  params.MaxLearnCount = 2;
  std::atomic<int> relearn {0};
  ASSERT_EQ(BatchTrainFromRecords(*game, TestDataPath("games"), params, &relearn), 1);
  EXPECT_EQ(relearn.load(), 1);
  EXPECT_TRUE(list.GetAt(0).Weight11s != before.Weight11s);
  EXPECT_EQ(Names(GetExePath() + "sample").size(), 1u);
  EXPECT_NE(ReadFile(GetExePath() + "gen_sample_list.txt").find("   TotalStatusCount = 00001000\n"),
            std::string::npos);
  const std::string log = ReadFile(GetExePath() + "training_eval000_ann.txt");
  EXPECT_NE(log.find("   CurrLearnCount=      2; PatternCount=     10; "), std::string::npos) << log;
  EXPECT_TRUE(std::filesystem::exists(GetExePath() + "eval000.ann"));
}

TEST_F(BatchTrainTest, BlockTheRunCannotTakeIsRefusedBeforeAnyWork) {
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  const CTdbpAnn before = list.GetAt(0);
  std::string error;
  CTrainParams params;
  params.Error = &error;
  params.TestOverflowFreq = 0;
  EXPECT_EQ(BatchTrainFromRecords(*game, TestDataPath("games"), params), 0);
  EXPECT_NE(error.find("TestOverflowFreq: must be between 1 and"), std::string::npos) << error;
  params.TestOverflowFreq = 1000;
  params.ThreadCount = 65;
  EXPECT_EQ(TrainFromGameRecord(*game, TestDataPath("games/game01.pgn"), params), 0);
  EXPECT_NE(error.find("ThreadCount must be at most 64"), std::string::npos) << error;
  params.ThreadCount = 1;
  params.AutoSaveCount = 0;
  EXPECT_EQ(TrainFromGameRecord(*game, TestDataPath("games/game01.pgn"), params), 0);
  EXPECT_NE(error.find("AutoSaveCount must be at least 1"), std::string::npos) << error;
  EXPECT_TRUE(list.GetAt(0).Weight2s == before.Weight2s);
  EXPECT_FALSE(std::filesystem::exists(GetExePath() + "sample"));
  for (const std::string& name : Names(GetExePath()))
    EXPECT_TRUE(name.ends_with(".txt") || name == "ann" || name == "rand") << name;
}

TEST_F(BatchTrainTest, RecordThatCannotBeLoadedFailsGameTraining) {
  CTrainParams params;
  EXPECT_EQ(TrainFromGameRecord(*game, GetExePath() + "missing.pgn", params), 0);
  for (const std::string& name : Names(GetExePath())) EXPECT_FALSE(name.ends_with(".sam")) << name;
}

}  // namespace
