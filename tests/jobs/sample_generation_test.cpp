// Sample generation from game records: the skips, the first sampled move,
// the mirrored pattern, the targets, the flushes and the log lines.
#include "jobs/sample_generation.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>

#include "ann/sample_file.h"
#include "common/exe_path.h"
#include "engine/evaluator.h"
#include "train_test_support.h"

namespace {

class SampleGeneration : public TrainSuite {
 protected:
  std::string Record(const std::string& name, int moves, const std::string& result) {
    const std::string path = home->Path() + name;
    EXPECT_TRUE(WriteRecord(*game, path, FirstMoves(moves), result)) << name;
    return path;
  }
  int Add(CSampleRun& run, const std::string& path, const CSampleSettings& settings) {
    return AddGameSamples(*game, run, path, "eval", SampleDir(), ".sam", settings);
  }
  std::string SampleDir() const { return home->Path() + "sample/"; }
  // Inputs of the start position after `moves` plies of the opening.
  std::vector<float> InputsAfter(int moves, bool mirrored) {
    game->HumanVsHuman = 1;
    game->NewGame(InitialBoard.data(), 1);
    for (const std::string& text : FirstMoves(moves)) {
      CMove move;
      MoveFromIccs(game->Position(), text, move);
      game->PlayMove(move, 0);
    }
    CPosition position = game->Position();
    if (mirrored) game->Position().MirrorInto(position);
    std::vector<float> inputs(91);
    game->Engine.Evaluator.EncodeInputs(position, game->RedToMove, inputs.data());
    return inputs;
  }
};

TEST_F(SampleGeneration, GameShorterThanMinStatusCountIsSkippedAndNotCounted) {
  CSampleRun run;
  CSampleSettings settings;
  EXPECT_EQ(Add(run, Record("five.pgn", 5, "1-0"), settings), 1);
  EXPECT_EQ(run.LoadedCount, 0);
  EXPECT_EQ(run.Patterns.Count(), 0);
  EXPECT_EQ(GenerateSamples(*game, home->Path() + "five.pgn", "eval", SampleDir(), ".sam", settings), 0);
  EXPECT_FALSE(std::filesystem::exists(SampleDir()));
}

TEST_F(SampleGeneration, SixMovesGiveTwoPatternsOfSixStatusesFromTheStart) {
  CSampleRun run;
  ASSERT_EQ(Add(run, Record("six.pgn", 6, "1-0"), CSampleSettings {}), 1);
  ASSERT_EQ(run.Patterns.Count(), 2);
  EXPECT_EQ(run.LoadedCount, 1);
  for (int p = 0; p < 2; ++p) {
    EXPECT_EQ(run.Patterns.GetAt(p).Statuses.Count(), 6);
    EXPECT_EQ(run.Patterns.GetAt(p).Expect, 0.9f);  // red won: both patterns
  }
  EXPECT_EQ(run.Patterns.GetAt(0).Statuses.GetAt(0).Vectors, InputsAfter(0, false));
  EXPECT_EQ(run.Patterns.GetAt(0).Statuses.GetAt(5).Vectors, InputsAfter(5, false));
  ASSERT_EQ(run.CategoryCounts.size(), 1u);
  EXPECT_EQ(run.CategoryCounts[0], 12);  // played and mirrored
}

TEST_F(SampleGeneration, MinMoveCoeffChoosesTheFirstSampledPosition) {
  const std::string seven = Record("seven.pgn", 7, "0-1");
  CSampleSettings settings;
  settings.MinMoveCoeff = 0.5f;  // 3.5 -> 3
  CSampleRun run;
  ASSERT_EQ(Add(run, seven, settings), 1);
  ASSERT_EQ(run.Patterns.GetAt(0).Statuses.Count(), 4);
  EXPECT_EQ(run.Patterns.GetAt(0).Statuses.GetAt(0).Vectors, InputsAfter(3, false));
  EXPECT_EQ(run.Patterns.GetAt(0).Expect, 0.1f);
  EXPECT_EQ(run.Patterns.GetAt(1).Expect, 0.1f);

  settings.MinMoveCoeff = 1.0f;  // one status: the position before the last move
  CSampleRun last;
  ASSERT_EQ(Add(last, seven, settings), 1);
  ASSERT_EQ(last.Patterns.GetAt(0).Statuses.Count(), 1);
  EXPECT_EQ(last.Patterns.GetAt(0).Statuses.GetAt(0).Vectors, InputsAfter(6, false));
}

TEST_F(SampleGeneration, MirrorPatternReversesTheFilesOfEveryStatus) {
  CSampleRun run;
  ASSERT_EQ(Add(run, Record("mirror.pgn", 8, "1/2-1/2"), CSampleSettings {}), 1);
  const CPattern& played = run.Patterns.GetAt(0);
  const CPattern& mirrored = run.Patterns.GetAt(1);
  EXPECT_EQ(mirrored.Expect, 0.5f);
  ASSERT_EQ(mirrored.Statuses.Count(), played.Statuses.Count());
  for (int t = 0; t < played.Statuses.Count(); ++t) {
    const auto& a = played.Statuses.GetAt(t).Vectors;
    const auto& b = mirrored.Statuses.GetAt(t).Vectors;
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 9; ++c)
        ASSERT_EQ(b[static_cast<size_t>(9 * r + 8 - c)], a[static_cast<size_t>(9 * r + c)]) << t;
    EXPECT_EQ(b[90], a[90]);
    EXPECT_EQ(b[90], t % 2 == 0 ? 0.005f : -0.005f);
  }
  // After h2e2 the mirror has its cannon on the centre file too, but came from b2.
  EXPECT_EQ(mirrored.Statuses.GetAt(1).Vectors, InputsAfter(1, true));
  EXPECT_NE(mirrored.Statuses.GetAt(1).Vectors, played.Statuses.GetAt(1).Vectors);
}

TEST_F(SampleGeneration, CullDrawSkipsUndecidedAndDrawnGames) {
  CSampleSettings settings;
  settings.CullDraw = 1;
  CSampleRun run;
  EXPECT_EQ(Add(run, Record("open.pgn", 8, "*"), settings), 1);
  EXPECT_EQ(Add(run, Record("draw.pgn", 8, "1/2-1/2"), settings), 1);
  EXPECT_EQ(run.LoadedCount, 0);
  EXPECT_EQ(Add(run, Record("win.pgn", 8, "0-1"), settings), 1);
  EXPECT_EQ(run.LoadedCount, 1);
}

TEST_F(SampleGeneration, WalkWritesOneSampleFileAndTheClosingLogLines) {
  std::filesystem::create_directories(home->Path() + "games/b");
  WriteRecord(*game, home->Path() + "games/a.pgn", FirstMoves(6), "1-0");
  WriteRecord(*game, home->Path() + "games/b/c.pgn", FirstMoves(7), "0-1");
  WriteRecord(*game, home->Path() + "games/b/short.pgn", FirstMoves(2), "0-1");
  CSampleRun run;
  ASSERT_EQ(GenerateSamples(*game, home->Path() + "games", "eval", SampleDir(), ".sam",
                            CSampleSettings {}, &run),
            1);
  EXPECT_EQ(run.LoadedCount, 2);
  EXPECT_EQ(run.OfferedCount, 3);
  ASSERT_EQ(run.WrittenFiles.size(), 1u);
  const std::vector<std::string> names = Names(SampleDir());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(eval_\d{4}(_\d\d){5}\.sam)"))) << names[0];
  CSampleFile file;
  ASSERT_TRUE(file.Open(run.WrittenFiles[0], 91, 0)) << file.Error();
  EXPECT_EQ(file.PatternCount(), 4);
  EXPECT_EQ(file.Patterns()[0].StatusCount, 6);
  EXPECT_EQ(file.Patterns()[2].StatusCount, 7);
  EXPECT_EQ(file.Patterns()[3].Expect, 0.1f);
  EXPECT_TRUE(std::regex_match(
      ReadFile(GetExePath() + "gen_sample_list.txt"),
      std::regex("   LoadedCount=0000002; PatternCount=0000004; ElapsedTime=000000\\d\n\n"
                 "   Category = 000; Count = 00000026\n\n"
                 "   TotalStatusCount = 00000026\n")));
}

TEST_F(SampleGeneration, RootNamingOneRecordFileTakesThatFileAlone) {
  CSampleRun run;
  ASSERT_EQ(GenerateSamples(*game, Record("one.pgn", 9, "1-0"), "eval", SampleDir(), ".sam",
                            CSampleSettings {}, &run),
            1);
  EXPECT_EQ(run.LoadedCount, 1);
  EXPECT_EQ(run.WrittenFiles.size(), 1u);
}

TEST_F(SampleGeneration, UnloadableRecordIsSkippedLoggedAndCounted) {
  std::filesystem::create_directories(home->Path() + "games");
  WriteRecord(*game, home->Path() + "games/a.pgn", FirstMoves(6), "1-0");
  std::ofstream(home->Path() + "games/b.pgn") << "[Event \"cut short";
  WriteRecord(*game, home->Path() + "games/c.pgn", FirstMoves(6), "1-0");
  CSampleRun run;
  EXPECT_EQ(GenerateSamples(*game, home->Path() + "games", "eval", SampleDir(), ".sam",
                            CSampleSettings {}, &run),
            1);
  EXPECT_EQ(run.LoadedCount, 2);
  ASSERT_EQ(run.SkippedRecords.size(), 1u);
  EXPECT_EQ(run.SkippedRecords[0].rfind(home->Path() + "games/b.pgn: ", 0), 0u);
  EXPECT_EQ(ReadFile(GetExePath() + "gen_sample_list.txt").rfind("      Load " + home->Path() + "games/b.pgn failed.\n", 0), 0u);
}

TEST_F(SampleGeneration, FlushesInOneSecondGetDistinctFilesAndLoseNothing) {
  std::filesystem::create_directories(home->Path() + "games");
  for (int i = 0; i < 5; ++i)
    WriteRecord(*game, home->Path() + "games/g" + std::to_string(i) + ".pgn", FirstMoves(6 + i),
                "1-0");
  CSampleSettings settings;
  settings.TestOverflowFreq = 2;  // test after every game
  settings.MaxPatternListBytes = 100;  // and always flush
  settings.LogPeriod = 2;
  CSampleRun run;
  ASSERT_EQ(GenerateSamples(*game, home->Path() + "games", "eval", SampleDir(), ".sam", settings,
                            &run),
            1);
  // Five flushes during the walk, none at the end (the list is empty then).
  ASSERT_EQ(run.WrittenFiles.size(), 5u);
  EXPECT_EQ(Names(SampleDir()).size(), 5u);
  int statuses = 0;
  for (const std::string& path : run.WrittenFiles) {
    CSampleFile file;
    ASSERT_TRUE(file.Open(path, 91, 0)) << path;
    EXPECT_EQ(file.PatternCount(), 2);
    statuses += file.Patterns()[0].StatusCount;
  }
  EXPECT_EQ(statuses, 6 + 7 + 8 + 9 + 10);
  // In order of writing, by name too.
  EXPECT_TRUE(std::is_sorted(run.WrittenFiles.begin(), run.WrittenFiles.end()));
  // Logged before the flush of the same game.
  const std::string log = ReadFile(GetExePath() + "gen_sample_list.txt");
  EXPECT_NE(log.find("   LoadedCount=0000002; PatternCount=0000002; "), std::string::npos) << log;
  EXPECT_NE(log.find("   LoadedCount=0000004; PatternCount=0000002; "), std::string::npos) << log;
}

TEST_F(SampleGeneration, BudgetIsTestedOnlyAtMultiplesOfTestOverflowFreq) {
  std::filesystem::create_directories(home->Path() + "games");
  for (int i = 0; i < 3; ++i)
    WriteRecord(*game, home->Path() + "games/g" + std::to_string(i) + ".pgn", FirstMoves(6), "1-0");
  CSampleSettings settings;
  settings.TestOverflowFreq = 4;  // after the second game only
  settings.MaxPatternListBytes = 100;
  CSampleRun run;
  ASSERT_EQ(GenerateSamples(*game, home->Path() + "games", "eval", SampleDir(), ".sam", settings,
                            &run),
            1);
  ASSERT_EQ(run.WrittenFiles.size(), 2u);  // four patterns, then the last two at the end
  CSampleFile file;
  ASSERT_TRUE(file.Open(run.WrittenFiles[0], 91, 0));
  EXPECT_EQ(file.PatternCount(), 4);
}

TEST_F(SampleGeneration, TestOverflowFreqBelowOneIsRefusedBeforeAnyWork) {
  Record("six.pgn", 6, "1-0");
  CSampleSettings settings;
  settings.TestOverflowFreq = 0;
  CSampleRun run;
  EXPECT_EQ(GenerateSamples(*game, home->Path() + "six.pgn", "eval", SampleDir(), ".sam", settings,
                            &run),
            0);
  EXPECT_EQ(run.OfferedCount, 0);
  EXPECT_NE(run.Error.find("TestOverflowFreq"), std::string::npos);
  EXPECT_NE(ReadFile(GetExePath() + "gen_sample_list.txt").find("Refused: TestOverflowFreq"),
            std::string::npos);
}

TEST_F(SampleGeneration, StopRequestEndsTheWalkAndKeepsWhatWasGathered) {
  std::filesystem::create_directories(home->Path() + "games");
  for (int i = 0; i < 4; ++i)
    WriteRecord(*game, home->Path() + "games/g" + std::to_string(i) + ".pgn", FirstMoves(6), "1-0");
  std::atomic<int> stop {0};
  CSampleSettings settings;
  settings.StopRequest = &stop;
  settings.OnRecord = [&](int32_t loaded, int32_t) {
    if (loaded == 2) stop = 1;
  };
  CSampleRun run;
  ASSERT_EQ(GenerateSamples(*game, home->Path() + "games", "eval", SampleDir(), ".sam", settings,
                            &run),
            1);
  EXPECT_TRUE(run.Stopped);
  EXPECT_EQ(run.LoadedCount, 2);
  ASSERT_EQ(run.WrittenFiles.size(), 1u);
}

// The first sampled position is MinMoveCoeff x n moves in, truncated: 7
// moves at 0.5 start after 3 (4 statuses), 8 moves at 0.5 after 4 (4), at
// 0.75 after 6 (2), at 0.9 after 7.2 -> 7 (1).
TEST_F(SampleGeneration, MinMoveCoeffTimesTheMoveCountIsTruncated) {
  struct Case {
    int Moves;
    float Coeff;
    int Statuses;
  };
  for (const Case& c : {Case {7, 0.5f, 4}, Case {8, 0.5f, 4}, Case {8, 0.75f, 2}, Case {8, 0.9f, 1}}) {
    CSampleSettings settings;
    settings.MinMoveCoeff = c.Coeff;
    CSampleRun run;
    ASSERT_EQ(Add(run, Record("game.pgn", c.Moves, "1-0"), settings), 1);
    for (int p = 0; p < 2; ++p)
      EXPECT_EQ(run.Patterns.GetAt(p).Statuses.Count(), c.Statuses) << c.Moves << " " << c.Coeff;
    EXPECT_EQ(run.Patterns.GetAt(0).Statuses.GetAt(0).Vectors, InputsAfter(c.Moves - c.Statuses, false));
  }
}

// The size estimate of two six-move patterns is 20 + 28 x 2 + 2 x (16 x 6 +
// 4 x 91 x 6) = 4636 bytes. With the budget tested after every game, a
// budget x coefficient just below that flushes after each game; at exactly
// that it first flushes after the second game, at 9252 bytes.
TEST_F(SampleGeneration, SizeEstimateCountsBothPatternsOfEveryStatus) {
  std::filesystem::create_directories(home->Path() + "games");
  for (int i = 0; i < 2; ++i)
    WriteRecord(*game, home->Path() + "games/g" + std::to_string(i) + ".pgn", FirstMoves(6), "1-0");
  struct Case {
    int32_t Budget;
    size_t Files;
  };
  for (const Case& c : {Case {9270, 2}, Case {9272, 1}}) {  // x 0.5: 4635 and 4636
    std::filesystem::remove_all(SampleDir());
    CSampleSettings settings;
    settings.TestOverflowFreq = 2;
    settings.TestOverflowCoeff = 0.5f;
    settings.MaxPatternListBytes = c.Budget;
    CSampleRun run;
    ASSERT_EQ(GenerateSamples(*game, home->Path() + "games", "eval", SampleDir(), ".sam", settings, &run), 1);
    EXPECT_EQ(run.WrittenFiles.size(), c.Files) << c.Budget;
    EXPECT_EQ(Names(SampleDir()).size(), c.Files) << c.Budget;
  }
}

}  // namespace

namespace {

// The job over a folder that holds, beside two games, what a real folder
// holds: files that are no whole game, links back to itself, what a killed
// run left, and a FIFO. Each game is taken once, each bad file is skipped
// and named, and nothing blocks.
TEST_F(SampleGeneration, JobTakesEachGameOnceAndSkipsWhatIsNoWholeGame) {
  const std::string games = home->Path() + "games/";
  std::filesystem::create_directories(games + "sub");
  WriteRecord(*game, games + "a.pgn", FirstMoves(6), "1-0");
  WriteRecord(*game, games + "sub/b.pgn", FirstMoves(7), "0-1");
  const std::string twoGames = ReadFile(TestDataPath("games/game01.pgn")) + "\n" + ReadFile(TestDataPath("games/game02.pgn"));
  const struct {
    const char* Name;
    std::string Text;
  } bad[] = {
      {"notes.txt", "remember to buy milk\n"},
      {"two.pgn", twoGames},
      {"cut.pgn", "[Event \"x\"]\n1. h2e2 h9g7 2. zz\n"},
  };
  for (const auto& c : bad) std::ofstream(games + c.Name) << c.Text;
  std::filesystem::create_directory_symlink(".", games + "dot1");
  std::filesystem::create_directory_symlink(".", games + "dot2");
  std::filesystem::create_directory_symlink(games, games + "sub/up");
  std::ofstream(games + "c.pgn.tmp-Qw3rTy") << ReadFile(games + "a.pgn");
  ASSERT_EQ(::mkfifo((games + "pipe.pgn").c_str(), 0644), 0);

  CSampleSettings settings;
  settings.RootDir = games;
  CJobControl control;
  std::vector<std::string> notes;
  control.OnNote = [&](const std::string& line) { notes.push_back(line); };
  CSampleRun run;
  ASSERT_FALSE(RunSampleGeneration(settings, control, run));
  EXPECT_EQ(run.LoadedCount, 2);
  EXPECT_EQ(run.OfferedCount, 5);
  ASSERT_EQ(run.SkippedRecords.size(), 3u);
  ASSERT_EQ(notes.size(), 3u);
  for (const auto& c : bad) {
    const std::string path = games + c.Name;
    bool named = false;
    for (const std::string& note : notes) named = named || note.rfind("skipped " + path + ": ", 0) == 0;
    EXPECT_TRUE(named) << c.Name;
    EXPECT_NE(ReadFile(SampleLogPath()).find("      Load " + path + " failed.\n"), std::string::npos);
  }
  int32_t statuses = 0;
  for (int32_t count : run.CategoryCounts) statuses += count;
  EXPECT_EQ(statuses, 2 * 6 + 2 * 7);

  // A folder of nothing but such files is refused, and writes nothing.
  const std::string onlyBad = home->Path() + "only_bad/";
  std::filesystem::create_directories(onlyBad);
  std::ofstream(onlyBad + "notes.txt") << "no game\n";
  const std::vector<std::string> before = Names(SampleDir());
  settings.RootDir = onlyBad;
  const CJobError error = RunSampleGeneration(settings, control, run);
  EXPECT_EQ(error.Fault, CJobFault::NoInput);
  EXPECT_EQ(error.Setting, "RootDir");
  EXPECT_EQ(Names(SampleDir()), before);
}

TEST_F(SampleGeneration, JobRefusesSettingsOutOfRangeNamingThem) {
  const struct {
    const char* Setting;
    void (*Set)(CSampleSettings&);
  } cases[] = {
      {"TestOverflowFreq", [](CSampleSettings& s) { s.TestOverflowFreq = 0; }},
      {"MaxPatternListBytes", [](CSampleSettings& s) { s.MaxPatternListBytes = -1; }},
      {"TestOverflowCoeff", [](CSampleSettings& s) { s.TestOverflowCoeff = 0; }},
      {"MinMoveCoeff", [](CSampleSettings& s) { s.MinMoveCoeff = -0.5f; }},
      {"MinStatusCount", [](CSampleSettings& s) { s.MinStatusCount = -1; }},
      {"CullDraw", [](CSampleSettings& s) { s.CullDraw = 2; }},
      {"RootDir", [](CSampleSettings& s) { s.RootDir = "/no/such/folder"; }},
  };
  for (const auto& c : cases) {
    CSampleSettings settings;
    settings.RootDir = TestDataPath("games");
    c.Set(settings);
    CJobControl control;
    CSampleRun run;
    const CJobError error = RunSampleGeneration(settings, control, run);
    EXPECT_EQ(error.Setting, c.Setting) << EnglishMessage(error);
    EXPECT_FALSE(std::filesystem::exists(SampleDir())) << c.Setting;
  }
}

}  // namespace
