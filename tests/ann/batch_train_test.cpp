// The batch driver: mode choice, index wrapping, stops, and the two entry
// points from game records.
#include "ann/batch_train.h"

#include <gtest/gtest.h>

#include "ann/sample_generation.h"
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

}  // namespace
