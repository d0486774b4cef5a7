// Game training as a job: settings refused before any game, the networks
// written by games (not by passes), progress with the trained side's score,
// the control's stop, games that carry only their own tags, and the
// player's game put back.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/exe_path.h"
#include "jobs/game_training_job.h"
#include "jobs/network_game_trainer.h"
#include "outside_job_fixture.h"

namespace {

class GameTrainingJobTest : public OutsideJobTest {
 protected:
  void SetUp() override {
    OutsideJobTest::SetUp();
    // Every game: the outside program is silent when first asked, so the
    // game goes to this program, black in odd games and red in even ones.
    outside.AfterScript = Step(CScriptStep::Silent);
    hooks.SaveNetworks = [this] {
      SavedAfter.push_back(static_cast<int>(Trained.size()));
      return 1;
    };
    control.OnProgress = [this](const CJobProgress& progress) { Progress.push_back(progress); };
  }
  CJobError Run() { return RunGameTraining(*game, values, hooks, control, &outside); }

  CJobControl control;
  std::vector<CJobProgress> Progress;
  std::vector<int> SavedAfter;  // games trained when the networks were written
};

TEST_F(GameTrainingJobTest, SettingsOutOfRangeAreRefusedByNameBeforeAnyGame) {
  struct {
    const char* Setting;
    void (*Spoil)(CGameTrainingValues&);
  } const cases[] = {
      {"MaxLearnCount", [](CGameTrainingValues& v) { v.MaxLearnCount = 10000000; }},
      {"MaxLearnCount", [](CGameTrainingValues& v) { v.MaxLearnCount = -1; }},
      {"AutoSaveCount", [](CGameTrainingValues& v) { v.AutoSaveCount = 0; }},
      {"MaxTrainCount", [](CGameTrainingValues& v) { v.MaxTrainCount = 0; }},
      {"MaxMoveCount", [](CGameTrainingValues& v) { v.MaxMoveCount = 5000; }},
      {"CullDraw", [](CGameTrainingValues& v) { v.CullDraw = 2; }},
      {"MinMoveCoeff", [](CGameTrainingValues& v) { v.MinMoveCoeff = 1.5f; }},
      {"Lambda", [](CGameTrainingValues& v) { v.Lambda = -5; }},
      {"MoveTime", [](CGameTrainingValues& v) {
         v.TrainWithOutside = 1;
         v.Outside.MoveTimeMs = 0;
       }},
      {"Engine", [](CGameTrainingValues& v) {
         v.TrainWithOutside = 1;
         v.Outside.Command = " \t ";
       }},
      {"RootDir", [](CGameTrainingValues& v) { v.RootDir.clear(); }},
  };
  for (const auto& c : cases) {
    CGameTrainingValues spoilt = values;
    c.Spoil(spoilt);
    const CJobError error = RunGameTraining(*game, spoilt, hooks, control, &outside);
    EXPECT_EQ(error.Setting, c.Setting);
    EXPECT_NE(error.Fault, CJobFault::None) << c.Setting;
  }
  EXPECT_EQ(outside.NewGameCount, 0);
  EXPECT_TRUE(SavedFiles().empty());
}

TEST_F(GameTrainingJobTest, NetworksAreWrittenAfterEveryAutoSaveCountGamesAndAtTheEnd) {
  values.MaxTrainCount = 5;
  values.AutoSaveCount = 2;
  ASSERT_FALSE(Run()) << EnglishMessage(Run());
  ASSERT_EQ(Trained.size(), 5u);
  EXPECT_EQ(SavedAfter, (std::vector<int> {2, 4, 5}));
}

TEST_F(GameTrainingJobTest, ProgressCountsGamesWithTheTrainedSidesScore) {
  values.MaxTrainCount = 3;  // won as black, as red, as black
  ASSERT_FALSE(Run());
  ASSERT_EQ(Progress.size(), 3u);
  const CJobProgress& last = Progress.back();
  EXPECT_EQ(last.Done, 3);
  EXPECT_EQ(last.Total, 3);
  EXPECT_EQ(last.Wins, 3);
  EXPECT_EQ(last.Draws, 0);
  EXPECT_EQ(last.Losses, 0);
  EXPECT_EQ(last.Current, Reports.back().Path);
}

TEST_F(GameTrainingJobTest, TheControlsStopEndsTheRunAndWhatWasLearntIsWritten) {
  values.MaxTrainCount = 100;
  values.AutoSaveCount = 50;
  control.OnProgress = [this](const CJobProgress& progress) {
    if (progress.Done == 2) control.RequestStop();
  };
  ASSERT_FALSE(Run());
  EXPECT_EQ(Reports.size(), 2u);
  EXPECT_EQ(SavedAfter, (std::vector<int> {2}));
  EXPECT_EQ(game->TrainingIdle.load(), 1);
}

// A stop that cuts the training of a saved game short still counts that
// game: the summary then agrees with the games in the folder.
TEST_F(GameTrainingJobTest, AGameKeptWhenTheStopCutItsTrainingShortIsCounted) {
  values.MaxTrainCount = 100;
  hooks.Trainer = [this](CGame&, const std::string& path, const CGameTrainingValues&) {
    Trained.push_back(path);
    if (Trained.size() < 3) return 1;
    control.RequestStop();
    return 0;
  };
  ASSERT_FALSE(Run());
  EXPECT_EQ(SavedFiles().size(), 3u);
  ASSERT_FALSE(Progress.empty());
  EXPECT_EQ(Progress.back().Done, 3);
  EXPECT_EQ(Reports.size(), 3u);
}

TEST_F(GameTrainingJobTest, GamesCarryOnlyTheirOwnTagsAndThePlayersGameIsPutBack) {
  ASSERT_EQ(game->LoadPgn(TestDataPath("games/game02.pgn")), 1);
  game->Event = "BGN World Xiangqi Challenge 2002";
  game->Site = "Beijing";
  const std::string red = game->Red;
  const int length = game->Record().Length;
  values.MaxTrainCount = 2;
  ASSERT_FALSE(Run());
  ASSERT_EQ(Reports.size(), 2u);
  for (const CTrainingGameReport& report : Reports) {
    const std::string text = ReadText(report.Path);
    EXPECT_NE(text.find("[Event \"\"]"), std::string::npos) << text;
    EXPECT_NE(text.find("[Site \"\"]"), std::string::npos) << text;
    EXPECT_EQ(text.find("BGN"), std::string::npos) << text;
  }
  EXPECT_EQ(game->Event, "BGN World Xiangqi Challenge 2002");
  EXPECT_EQ(game->Red, red);
  EXPECT_EQ(game->Record().Length, length);
}

// The real trainer and writer: a pass count a game, no snapshot per pass,
// and the network file in the data folder rewritten with its own pass
// counts kept.
TEST_F(GameTrainingJobTest, TheRealTrainerKeepsWhatItLearnsWithoutSnapshots) {
  namespace fs = std::filesystem;
  const std::string annFile = GetExePath() + "eval000.ann";
  ASSERT_TRUE(game->Engine.Evaluator.AnnList.SaveAll(1, "eval", ".ann", GetExePath().c_str()));
  CTdbpAnn& network = game->Engine.Evaluator.AnnList.GetAt(0);
  const int32_t ownPasses = network.MaxLearnCount;
  fs::last_write_time(annFile, fs::file_time_type::clock::now() - std::chrono::hours(1));
  const auto before = fs::last_write_time(annFile);

  outside.AfterScript = Step(CScriptStep::Silent);
  outside.Script = {Play("h2e2"), Play("h0g2")};
  hooks.Trainer = MakeNetworkGameTrainer();
  hooks.SaveNetworks = MakeNetworkSaver(*game);
  values.MaxLearnCount = 3;
  values.Alpha = 0.01f;
  values.Lambda = 0.9f;
  ASSERT_FALSE(Run());
  ASSERT_EQ(Reports.size(), 1u);
  ASSERT_FALSE(Reports[0].Path.empty());

  EXPECT_GT(fs::last_write_time(annFile), before);
  for (const auto& entry : fs::directory_iterator(GetExePath()))
    EXPECT_NE(entry.path().filename().string().rfind("_eval", 0), 0u) << entry.path();
  CTdbpAnnList reread;
  ASSERT_EQ(reread.LoadAll(1, "eval", ".ann", GetExePath().c_str()), 1);
  EXPECT_EQ(reread.GetAt(0).MaxLearnCount, ownPasses);
}

}  // namespace
