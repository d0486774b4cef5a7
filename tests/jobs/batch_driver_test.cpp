// BatchTrain over small networks: which runs a call makes (mode and index
// wrapping), stops, snapshots, refusals and damaged sample files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "jobs/batch_train.h"
#include "ann/training_samples.h"
#include "common/exe_path.h"
#include "common/random.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class BatchDriver : public testing::Test {
 protected:
  void SetUp() override {
    SeedRandomWith(3);
    for (int i = 0; i < 4; ++i) list.Add(CTdbpAnn(6, 5, 4, -0.5f, 0.5f, 1, 1, 1, 0.5f, 0.7f));
    samples = home.Path() + "sample/";
    fs::create_directories(samples);
    WriteSamples(samples + "a.sam", 3);
  }
  // `patterns` patterns of four category-0 statuses of six inputs.
  void WriteSamples(const std::string& path, int patterns) {
    CPatternList patternList;
    for (int p = 0; p < patterns; ++p) {
      CStatusList statuses;
      for (int t = 0; t < 4; ++t) {
        CStatus status(0, 6);
        for (int i = 0; i < 6; ++i) status.Vectors[static_cast<size_t>(i)] = 0.1f * static_cast<float>((i + t + p) % 5);
        statuses.Add(status);
      }
      patternList.Add(CPattern(statuses, p % 2 ? 0.9f : 0.1f));
    }
    ASSERT_EQ(patternList.Save(path, 1), 1);
  }
  int Run(int n, int start, int end, int relearn = 1) {
    return BatchTrain(list, &relearnShown, n, start, end, relearn, "eval", ".ann", samples, options);
  }
  // Which networks changed since `before`.
  std::string Changed(const CTdbpAnnList& before) const {
    std::string changed;
    for (int i = 0; i < list.Count(); ++i)
      changed += list.GetAt(i).Weight2s != before.GetAt(i).Weight2s ? '1' : '0';
    return changed;
  }
  bool Exists(const std::string& name) const { return fs::exists(home.Path() + name); }
  std::string Read(const std::string& name) const {
    std::ifstream in(home.Path() + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> Matching(const std::string& pattern) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(home.Path()))
      if (std::regex_match(entry.path().filename().string(), std::regex(pattern)))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  ScopedTarvoHome home;
  CTdbpAnnList list;
  std::string samples;
  CLearnOptions options;
  std::atomic<int> relearnShown {0};
};

TEST_F(BatchDriver, WrappedRangeCoveringAllNetworksRunsTheListMode) {
  const CTdbpAnnList before = list;
  EXPECT_EQ(Run(4, 2, 1), 1);  // 2..5 covers the four networks
  EXPECT_TRUE(Exists("training_eval_ann_list.txt"));
  EXPECT_FALSE(Exists("training_eval000_ann.txt"));
  EXPECT_EQ(Changed(before), "1000");  // every status has category 0
  EXPECT_EQ(list.GetAt(0).Running.load(), 0);
  EXPECT_EQ(Matching("_eval_.*_0000001").size(), 1u);  // a snapshot folder of the list
}

TEST_F(BatchDriver, OneIndexOfSeveralRunsTheOwnCategoryModeOnThatNetwork) {
  const CTdbpAnnList before = list;
  EXPECT_EQ(Run(4, 1, 1), 1);
  // Network 1 learns nothing (no status of category 1) but passes, saves and logs.
  EXPECT_EQ(Changed(before), "0000");
  EXPECT_NE(Read("training_eval001_ann.txt")
                .find("\nTraining eval001 ann.\n   CurrLearnCount=      1; PatternCount=      3; "),
            std::string::npos);
  EXPECT_TRUE(Exists("eval001.ann"));
  EXPECT_FALSE(Exists("training_eval_ann_list.txt"));
  EXPECT_FALSE(Exists("training_eval000_ann.txt"));

  EXPECT_EQ(Run(4, 0, 1), 1);  // 0..1: two own-category runs
  EXPECT_EQ(Changed(before), "1000");
  EXPECT_TRUE(Exists("training_eval000_ann.txt"));
}

TEST_F(BatchDriver, NoRangeOrOneNetworkRunsEveryStatusOnEachNetwork) {
  CTdbpAnnList before = list;
  EXPECT_EQ(Run(4, -1, -1), 1);  // no range: network 0 alone, every status
  EXPECT_EQ(Changed(before), "1000");
  EXPECT_FALSE(Exists("training_eval001_ann.txt"));

  before = list;
  EXPECT_EQ(Run(1, 0, 0), 1);
  EXPECT_EQ(Changed(before), "1000");
  before = list;
  EXPECT_EQ(Run(0, 3, 3), 1);  // n 0: one network; 3 is outside and becomes 0
  EXPECT_EQ(Changed(before), "1000");
  EXPECT_FALSE(Exists("training_eval_ann_list.txt"));
}

TEST_F(BatchDriver, PartialWrappedRangeTrainsEachNetworkModuloTheCount) {
  // Start 3, End 1 becomes 3..6 and so covers all four: the list mode.
  EXPECT_EQ(Run(4, 3, 1), 1);
  EXPECT_TRUE(Exists("training_eval_ann_list.txt"));
  // n 3 of four networks, 2..3 -> networks 2 and 0 in the own-category mode.
  fs::remove(home.Path() + "training_eval_ann_list.txt");
  EXPECT_EQ(Run(3, 2, 0), 1);  // 2 > 0: End = 3 + 2 - 1 = 4, range 2..4 = all three
  EXPECT_TRUE(Exists("training_eval_ann_list.txt"));
  EXPECT_EQ(Run(4, 1, 2), 1);
  EXPECT_TRUE(Exists("training_eval001_ann.txt"));
  EXPECT_TRUE(Exists("training_eval002_ann.txt"));
  EXPECT_FALSE(Exists("training_eval003_ann.txt"));
}

TEST_F(BatchDriver, NoRelearnPassTrainsNothingAndSucceeds) {
  const CTdbpAnnList before = list;
  EXPECT_EQ(Run(4, -1, -1, 0), 1);
  EXPECT_EQ(Changed(before), "0000");
  EXPECT_FALSE(Exists("training_eval000_ann.txt"));
}

TEST_F(BatchDriver, StopDuringPassThreeOfTenEndsAfterThatPassIsLogged) {
  options.MaxLearnCount = 10;
  options.OnProgress = [&](const CTrainProgress& progress) {
    if (progress.CurrLearnCount == 3 && !progress.PassEnded) list.SetRunning(0);
  };
  EXPECT_EQ(Run(1, 0, 0, 5), 0);
  EXPECT_EQ(relearnShown.load(), 1);
  const std::string log = Read("training_eval000_ann.txt");
  EXPECT_NE(log.find("   CurrLearnCount=      3; PatternCount=      3; "), std::string::npos) << log;
  EXPECT_EQ(log.find("CurrLearnCount=      4"), std::string::npos) << log;
  EXPECT_EQ(Matching(R"(_eval000_\d{4}(_\d\d){5}_\d{7}\.ann)").size(), 3u);
  EXPECT_EQ(list.GetAt(0).Running.load(), 0);
}

TEST_F(BatchDriver, StopAtTheEndOfOneNetworksRunIsNotLostBeforeTheNext) {
  options.MaxLearnCount = 2;
  options.OnProgress = [&](const CTrainProgress& progress) {
    if (progress.RunName == "eval001" && progress.CurrLearnCount == 2 && progress.PassEnded)
      list.SetRunning(0);
  };
  EXPECT_EQ(Run(4, 1, 2), 0);
  EXPECT_TRUE(Exists("training_eval001_ann.txt"));
  EXPECT_FALSE(Exists("training_eval002_ann.txt"));
}

TEST_F(BatchDriver, StopRequestMadeBeforeTheStartIsHonoured) {
  std::atomic<int> stop {1};
  options.StopRequest = &stop;
  const CTdbpAnnList before = list;
  EXPECT_EQ(Run(1, 0, 0, 3), 0);
  EXPECT_EQ(Changed(before), "0000");
  EXPECT_FALSE(Exists("training_eval000_ann.txt"));
}

TEST_F(BatchDriver, SnapshotsEveryAutoSaveCountPassesWithTheirNames) {
  options.MaxLearnCount = 4;
  options.AutoSaveCount = 2;
  EXPECT_EQ(Run(1, 0, 0), 1);
  const auto names = Matching(R"(_eval000_\d{4}(_\d\d){5}_\d{7}(_\d+)?\.ann)");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_TRUE(names[0].ends_with("_0000002.ann")) << names[0];
  EXPECT_TRUE(names[1].ends_with("_0000004.ann")) << names[1];
  EXPECT_TRUE(Exists("eval000.ann"));
  // The values given are stored into the network, and so into its files.
  CTdbpAnn saved;
  ASSERT_EQ(saved.Load(home.Path() + names[1]), 1);
  EXPECT_EQ(saved.MaxLearnCount, 4);
  EXPECT_EQ(saved.AutoSaveCount, 2);
  for (size_t k = 0; k < saved.Weight2s.size(); ++k)  // text keeps seven digits
    EXPECT_NEAR(saved.Weight2s[k], list.GetAt(0).Weight2s[k], 1e-6);
  // No temporary files are left behind.
  EXPECT_TRUE(Matching(R"(.*\.tmp-.*)").empty());
}

// Snapshots at the end only, in every mode: one, of the last pass, and the
// networks' own AutoSaveCount (here 0, which no period could use) is kept.
TEST_F(BatchDriver, SnapshotAtEndOnlyWritesOneSnapshotOfTheLastPassInEveryMode) {
  const struct {
    const char* Mode;
    int N, Start, End;
    const char* Snapshot;  // the name of the one snapshot (a folder in the list mode)
  } cases[] = {
      {"every status", 1, 0, 0, R"(_eval000_\d{4}(_\d\d){5}_0000003\.ann)"},
      {"own category", 4, 1, 1, R"(_eval001_\d{4}(_\d\d){5}_0000003\.ann)"},
      {"list", 4, 2, 1, R"(_eval_\d{4}(_\d\d){5}_0000003)"},
  };
  options.MaxLearnCount = 3;
  options.SnapshotAtEndOnly = true;
  for (int i = 0; i < list.Count(); ++i) list.GetAt(i).AutoSaveCount = 0;
  for (const auto& c : cases) {
    for (const std::string& name : Matching("_eval.*")) fs::remove_all(home.Path() + name);
    EXPECT_EQ(Run(c.N, c.Start, c.End), 1) << c.Mode;
    EXPECT_EQ(Matching("_eval.*"), Matching(c.Snapshot)) << c.Mode;
    EXPECT_EQ(Matching(c.Snapshot).size(), 1u) << c.Mode;
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.GetAt(i).AutoSaveCount, 0) << c.Mode;
  }
}

// A disk with less free than the floor takes no snapshot: the run ends at
// the first one due, naming it, with the network itself kept, in every mode.
TEST_F(BatchDriver, ADiskBelowTheFloorEndsTheRunInsteadOfTakingSnapshots) {
  const struct {
    const char* Mode;
    int N, Start, End;
    const char* Network;  // written before the snapshot was due
  } cases[] = {
      {"every status", 1, 0, 0, "eval000.ann"},
      {"own category", 4, 1, 1, "eval001.ann"},
      {"list", 4, 2, 1, "eval000.ann"},
  };
  std::string error, unwritable;
  options.Error = &error;
  options.UnwritablePath = &unwritable;
  options.MaxLearnCount = 3;
  options.MinFreeBytesForSnapshot = 1LL << 62;
  for (const auto& c : cases) {
    unwritable.clear();
    EXPECT_EQ(Run(c.N, c.Start, c.End, 5), 0) << c.Mode;
    EXPECT_EQ(relearnShown.load(), 1) << c.Mode;
    EXPECT_TRUE(Matching("_eval.*").empty()) << c.Mode;
    EXPECT_NE(error.find("MB is free on the disk for a snapshot " + unwritable), std::string::npos)
        << c.Mode << ": " << error;
    EXPECT_NE(unwritable.find(home.Path() + "_eval"), std::string::npos) << c.Mode << ": " << unwritable;
    if (std::string(c.Mode) != "list") {
      EXPECT_TRUE(Exists(c.Network)) << c.Mode;
    }
  }
  // With room, the same run takes its snapshots.
  options.MinFreeBytesForSnapshot = 0;
  EXPECT_EQ(Run(1, 0, 0), 1);
  EXPECT_EQ(Matching("_eval.*").size(), 3u);
}

TEST_F(BatchDriver, SecondRunOfRelearnPassesNeverReplacesASnapshot) {
  options.MaxLearnCount = 1;
  EXPECT_EQ(Run(1, 0, 0, 3), 1);  // three runs of pass 1, likely within one second
  EXPECT_EQ(Matching(R"(_eval000_.*\.ann)").size(), 3u);
}

TEST_F(BatchDriver, ValuesTheRunCannotTakeAreRefusedBeforeAnyWork) {
  const CTdbpAnnList before = list;
  std::string error;
  options.Error = &error;
  options.AutoSaveCount = 0;
  EXPECT_EQ(Run(1, 0, 0), 0);
  EXPECT_NE(error.find("AutoSaveCount must be at least 1"), std::string::npos) << error;
  options.AutoSaveCount = 1;
  options.ThreadCount = 65;
  EXPECT_EQ(Run(4, 1, 1), 0);
  EXPECT_NE(error.find("ThreadCount must be at most 64"), std::string::npos) << error;
  EXPECT_EQ(Changed(before), "0000");
  EXPECT_TRUE(Matching(R"(.*\.ann)").empty());
  // A network's own AutoSaveCount of 0 is refused as well.
  options.ThreadCount.reset();
  options.AutoSaveCount.reset();
  list.GetAt(0).AutoSaveCount = 0;
  EXPECT_EQ(Run(1, 0, 0), 0);
}

TEST_F(BatchDriver, DamagedSampleFilesAreSkippedWithALogLine) {
  std::ofstream(samples + "b.sam", std::ios::binary) << std::string("\x05\0\0\0", 4);
  WriteSamples(samples + "c.sam", 2);
  EXPECT_EQ(Run(1, 0, 0), 1);
  const std::string log = Read("training_eval000_ann.txt");
  EXPECT_NE(log.find("      Skipped " + samples + "b.sam: pattern 0 of 5 runs past the end"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("PatternCount=      5; "), std::string::npos) << log;  // a and c
}

}  // namespace
