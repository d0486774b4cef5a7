// tarvo-cli samples and train as a user meets them: help, bad input, runs
// over the master games, a second run, damaged sample files and Ctrl-C.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ann/tdbp_ann.h"
#include "test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class TrainCli : public testing::Test {
 public:
  std::string Cli(const std::string& args, int* exitCode) {
    return RunCommand("TARVO_HOME=" + home.Path() + " " + TARVO_CLI_PATH + " " + args + " 2>&1",
                      exitCode);
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(home.Path() + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> Names(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(home.Path() + folder, error))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // A copy of the master games without the table of final positions.
  std::string Games() {
    const std::string folder = home.Path() + "games/";
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(TestDataPath("games")))
      if (entry.path().extension() == ".pgn") fs::copy(entry.path(), folder + entry.path().filename().string());
    return folder;
  }
  ScopedTarvoHome home;
};

TEST_F(TrainCli, HelpNamesEveryOption) {
  int code = -1;
  std::string out = Cli("samples --help", &code);
  EXPECT_EQ(code, 0);
  const auto sampleOptions = {"--cull-draw",  "--min-status-count", "--min-move-coeff", "--max-bytes",
                              "--test-freq",  "--test-coeff",       "--search-depth",   "--score-weight",
                              "--score-scale", "--leaf"};
  for (const char* option : sampleOptions) EXPECT_NE(out.find(option), std::string::npos) << option;
  out = Cli("train --help", &code);
  EXPECT_EQ(code, 0);
  for (const char* option : {"--records", "--max-relearn", "--max-learn", "--auto-save", "--threads",
                             "--alpha", "--lambda", "--start", "--end", "--shuffle", "--shuffle-seed",
                             "--alpha-end", "--batch"})
    EXPECT_NE(out.find(option), std::string::npos) << option;
  // train takes the sample options inside the brackets of --records.
  const std::string records = out.substr(0, out.find("--max-relearn"));
  for (const char* option : sampleOptions) EXPECT_NE(records.find(option), std::string::npos) << option;
}

TEST_F(TrainCli, BadInputGetsOneLineAndTouchesNothing) {
  const struct {
    const char* Args;
    const char* Message;
  } cases[] = {
      {"samples", "expected the folder of game records"},
      {"samples /no/such/games", "RootDir: no such folder '/no/such/games'"},
      {"samples . --test-freq 0", "TestOverflowFreq: must be between 1 and 2147483647 (got 0)"},
      {"samples . --min-move-coeff 1.5", "MinMoveCoeff: must be between 0 and 1 (got 1.5)"},
      {"samples . --max-bytes x", "'x' is not a number, for --max-bytes"},
      {"samples . --min-status-count", "--min-status-count needs a value"},
      {"train", "SampleDir: nothing to work on in"},
      {"train --records /no/such/games", "RootDir: no such folder '/no/such/games'"},
      {"train --records /no/games --auto-save 0", "AutoSaveCount: must be between 1 and 2147483647 (got 0)"},
      {"train --records /no/games --max-learn -1", "MaxLearnCount: must be between 1 and 2147483647 (got -1)"},
      {"train --records /no/games --threads 65", "ThreadCount: must be between 1 and 64 (got 65)"},
      {"train --records /no/games --lambda 2", "Lambda: must be between 0 and 1 (got 2)"},
      {"train --records /no/games --alpha nan", "Alpha: must be between 0 and 10 (got nan)"},
      {"train --records /no/games --batch 0", "BatchSize: must be between 1 and 65536 (got 0)"},
      {"train --records /no/games --alpha-end 0", "AlphaEnd: must be between 0 and 10 (got 0)"},
      {"train --records /no/games --shuffle-seed -1", "'-1' is not a number, for --shuffle-seed"},
      {"train --bogus 1", "unexpected argument '--bogus'"},
      // Sample options shape the samples made from records, so they need --records.
      {"train --search-depth 2", "train: --search-depth needs --records DIR"},
      {"train --max-learn 1 --cull-draw", "train: --cull-draw needs --records DIR"},
      // Numbers are checked before the folder, which is missing so that a
      // value let through fails at once.
      {"train --records /no/games --search-depth 99", "SearchDepth: must be between 0 and 8 (got 99)"},
      {"train --records /no/games --score-weight 2", "ScoreWeight: must be between 0 and 1 (got 2)"},
      {"train --records /no/games --test-coeff x", "'x' is not a number, for --test-coeff"},
      {"train --records /no/games --max-bytes", "--max-bytes needs a value"},
  };
  for (const auto& c : cases) {
    int code = 0;
    const std::string out = Cli(c.Args, &code);
    EXPECT_NE(code, 0) << c.Args;
    EXPECT_NE(out.find(c.Message), std::string::npos) << c.Args << ": " << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << c.Args << ": " << out;
  }
  EXPECT_TRUE(Names("").empty());  // not even the data folders
}

TEST_F(TrainCli, SamplesThenTrainChangesTheNetworkAndWritesTheLogs) {
  const std::string games = Games();
  int code = -1;
  std::string out = Cli("samples " + games, &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(out.find("files=5 games=5 skipped=0 statuses=1000 samples=1\n"), std::string::npos) << out;
  // A second run adds a second file and replaces none.
  out = Cli("samples " + games + " --min-move-coeff 0.5", &code);
  ASSERT_EQ(code, 0) << out;
  const auto samples = Names("sample");
  ASSERT_EQ(samples.size(), 2u);
  EXPECT_TRUE(std::regex_match(samples[0], std::regex(R"(eval_\d{4}(_\d\d){5}(_\d+)?\.sam)")));
  EXPECT_NE(Read("gen_sample_list.txt").find("   TotalStatusCount = 00001000\n"), std::string::npos);

  out = Cli("train --max-learn 2 --alpha 0.05", &code);
  ASSERT_EQ(code, 0) << out;
  CTdbpAnn start, trained;
  ASSERT_EQ(start.Load(home.Path() + "ann/eval000.ann"), 1);
  ASSERT_EQ(trained.Load(home.Path() + "eval000.ann"), 1);
  EXPECT_TRUE(start.Weight2s != trained.Weight2s);
  EXPECT_EQ(trained.MaxLearnCount, 2);
  EXPECT_FLOAT_EQ(trained.Alpha, 0.05f);
  const std::string log = Read("training_eval000_ann.txt");
  EXPECT_TRUE(std::regex_match(log, std::regex("\nTraining eval000 ann.\n"
                                               "   CurrLearnCount=      1; PatternCount=     20; ElapsedTime= *\\d+\n"
                                               "   CurrLearnCount=      2; PatternCount=     20; ElapsedTime= *\\d+\n")))
      << log;
  // Without --auto-save one snapshot, of the last pass.
  int snapshots = 0;
  for (const std::string& name : Names(""))
    snapshots += std::regex_match(name, std::regex(R"(_eval000_\d{4}(_\d\d){5}_000000[12]\.ann)"));
  EXPECT_EQ(snapshots, 1);

  // The switches: each pass's rate and speed, the run's speed, and the
  // network keeping the rate it started from.
  out = Cli("train --max-learn 2 --alpha 0.05 --alpha-end 0.005 --shuffle --shuffle-seed 3 --batch 4 --threads 2",
            &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(eval000 pass 1/2 alpha 0\.05 done, \d+ positions/s)"))) << out;
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(eval000 pass 2/2 alpha 0\.005 done, \d+ positions/s)"))) << out;
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(\npositions: learned=3004, \d+ positions/s\n)"))) << out;
  ASSERT_EQ(trained.Load(home.Path() + "eval000.ann"), 1);
  EXPECT_FLOAT_EQ(trained.Alpha, 0.05f);
}

TEST_F(TrainCli, TrainFromRecordsMakesSamplesFirst) {
  int code = -1;
  const std::string out = Cli("train --records " + Games() + " --max-learn 1 --max-relearn 2", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_EQ(Names("sample").size(), 1u);
  const std::string log = Read("training_eval000_ann.txt");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6) << log;  // two runs of one pass
  EXPECT_NE(out.find("passes done: 2"), std::string::npos) << out;  // counted over both
}

// The sample options of train --records reach the samples: the games taken
// and the patterns the pass learns. The records: the five test games without
// a result (tests/data/games/expected.tsv: 127, 76, 104, 73 and 120 plies)
// and game02 again, won by red.
TEST_F(TrainCli, RecordsTakeTheSampleOptions) {
  const std::string games = Games();
  std::ifstream game02(games + "game02.pgn", std::ios::binary);
  std::ofstream(games + "game06.pgn", std::ios::binary) << "[Result \"1-0\"]\n" << game02.rdbuf();
  const struct {
    const char* Options;
    int Games;
    int Patterns;
  } cases[] = {
      {"", 6, 12},  // every game, played and mirrored
      {"--cull-draw", 1, 2},
      {"--min-status-count 100", 3, 6},
      {"--search-depth 1 --score-weight 1", 6, 2 * (500 + 76)},  // a pattern per position
  };
  const std::regex patterns(R"(PatternCount= *(\d+);)");
  for (const auto& c : cases) {
    fs::remove(home.Path() + "training_eval000_ann.txt");
    int code = -1;
    const std::string out = Cli("train --records " + games + " --max-learn 1 " + c.Options, &code);
    ASSERT_EQ(code, 0) << c.Options << ": " << out;
    EXPECT_NE(out.find("records: games=" + std::to_string(c.Games) + " skipped=0\n"), std::string::npos)
        << c.Options << ": " << out;
    const std::string log = Read("training_eval000_ann.txt");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(log, match, patterns)) << c.Options << ": " << log;
    EXPECT_EQ(std::stoi(match[1]), c.Patterns) << c.Options;
  }
}

TEST_F(TrainCli, DamagedSampleFileIsSkippedAndNamed) {
  int code = -1;
  Cli("samples " + Games(), &code);
  ASSERT_EQ(code, 0);
  std::ofstream(home.Path() + "sample/broken.sam", std::ios::binary) << std::string("\x02\0\0\0\x09\0\0\0", 8);
  const std::string out = Cli("train --max-learn 1", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(Read("training_eval000_ann.txt")
                .find("      Skipped " + home.Path() + "sample/broken.sam: pattern 0 (9 statuses) runs past"),
            std::string::npos)
      << Read("training_eval000_ann.txt");
}

TEST_F(TrainCli, FileThatIsNoWholeGameIsSkippedNamedAndCounted) {
  const std::string games = Games();
  std::ofstream(games + "bad.pgn") << "[Event \"no end";
  int code = 0;
  const std::string out = Cli("samples " + games, &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("skipped " + games + "bad.pgn: "), std::string::npos) << out;
  EXPECT_NE(out.find("games=5 skipped=1 "), std::string::npos) << out;
  EXPECT_EQ(Names("sample").size(), 1u);
}

// Ctrl-C during a long training: the pass in progress ends, is logged, and
// the program exits with 130.
TEST_F(TrainCli, InterruptStopsAtTheEndOfThePass) {
  int code = -1;
  Cli("samples " + Games(), &code);
  ASSERT_EQ(code, 0);
  const std::string home_env = "TARVO_HOME=" + home.Path();
  std::vector<char*> argv;
  std::string cli = TARVO_CLI_PATH, train = "train", max = "--max-learn", count = "1000000";
  argv = {cli.data(), train.data(), max.data(), count.data(), nullptr};
  std::vector<char*> env;
  for (char** e = environ; *e; ++e)
    if (std::string_view(*e).substr(0, 11) != "TARVO_HOME=") env.push_back(*e);  // ours alone
  std::string homeVar = home_env;
  env.push_back(homeVar.data());
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), env.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Wait for the first pass to be logged (a condition, not a time).
  for (int i = 0; i < 6000 && Read("training_eval000_ann.txt").find("CurrLearnCount=      1") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(kill(pid, SIGINT), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string log = Read("training_eval000_ann.txt");
  EXPECT_EQ(log.find("CurrLearnCount=1000000"), std::string::npos);
  EXPECT_TRUE(log.ends_with("\n"));
  CTdbpAnn trained;
  EXPECT_EQ(trained.Load(home.Path() + "eval000.ann"), 1);
  // The pass Ctrl-C ended is the run's last: its one snapshot.
  char tail[16];
  std::snprintf(tail, sizeof tail, "_%07d.ann", std::stoi(log.substr(log.rfind("CurrLearnCount=") + 15, 7)));
  std::vector<std::string> snapshots;
  for (const std::string& name : Names(""))
    if (name.starts_with("_eval000_")) snapshots.push_back(name);
  ASSERT_EQ(snapshots.size(), 1u);
  EXPECT_TRUE(snapshots[0].ends_with(tail)) << snapshots[0];
}

// The ICCS master games, imported, sampled and trained for two passes.
TEST_F(TrainCli, SlowMasterGamesTrainTwoPasses) {
  int code = -1;
  std::string out = Cli("pgn import-iccs " + TestDataPath("iccs/master_games_1125.pgn") + " " +
                            home.Path() + "iccs",
                        &code);
  ASSERT_EQ(code, 0) << out;
  // The collection carries no results: every game is a 0.5 target.
  out = Cli("samples " + home.Path() + "iccs", &code);
  ASSERT_EQ(code, 0) << out;
  std::smatch games;
  ASSERT_TRUE(std::regex_search(out, games, std::regex(R"(files=1125 games=(\d+) )"))) << out;
  out = Cli("train --max-learn 2", &code);
  ASSERT_EQ(code, 0) << out;
  CTdbpAnn start, trained;
  ASSERT_EQ(start.Load(home.Path() + "ann/eval000.ann"), 1);
  ASSERT_EQ(trained.Load(home.Path() + "eval000.ann"), 1);
  EXPECT_TRUE(start.Weight11s != trained.Weight11s);
  const std::string patterns = std::to_string(2 * std::stoi(games[1]));
  const std::string log = Read("training_eval000_ann.txt");
  EXPECT_NE(log.find("   CurrLearnCount=      2; PatternCount=" + std::string(7 - patterns.size(), ' ') + patterns),
            std::string::npos)
      << log;
  EXPECT_NE(Read("gen_sample_list.txt").find("   LoadedCount=0001000; PatternCount=0002000; "),
            std::string::npos);
}

}  // namespace

namespace {

// Without --auto-save a run writes one snapshot, after its last pass, and
// the network file keeps the network's own AutoSaveCount; --auto-save N
// writes one every N passes and keeps N.
TEST_F(TrainCli, SnapshotsComeAfterTheLastPassUnlessAutoSaveIsGiven) {
  int code = -1;
  Cli("samples " + Games(), &code);
  CTdbpAnn own, trained;
  ASSERT_EQ(own.Load(home.Path() + "ann/eval000.ann"), 1);
  const struct {
    const char* Args;
    std::vector<int> Passes;  // of the snapshots
    int AutoSaveCount;        // in the trained file; 0: the network's own
  } cases[] = {
      {"--max-learn 5", {5}, 0},
      {"--max-learn 2 --max-relearn 2 --shuffle", {2, 2}, 0},  // two runs
      {"--max-learn 4 --auto-save 2", {2, 4}, 2},
  };
  const std::regex snapshot(R"(_eval000_\d{4}(_\d\d){5}_(\d{7})(_\d+)?\.ann)");
  for (const auto& c : cases) {
    for (const std::string& name : Names(""))
      if (name.starts_with("_eval000_")) fs::remove(home.Path() + name);
    ASSERT_EQ((Cli(std::string("train ") + c.Args, &code), code), 0) << c.Args;
    std::vector<int> passes;
    std::smatch match;
    for (const std::string& name : Names(""))
      if (std::regex_match(name, match, snapshot)) passes.push_back(std::stoi(match[2]));
    EXPECT_EQ(passes, c.Passes) << c.Args;
    ASSERT_EQ(trained.Load(home.Path() + "eval000.ann"), 1);
    EXPECT_EQ(trained.AutoSaveCount, c.AutoSaveCount ? c.AutoSaveCount : own.AutoSaveCount) << c.Args;
  }
}

// A network file that cannot be written is a failure with its path, not a
// success; the damaged sample file beside the good one is counted.
TEST_F(TrainCli, NetworkThatCannotBeWrittenFailsWithThePath) {
  int code = -1;
  std::string out = Cli("samples " + Games(), &code);
  ASSERT_EQ(code, 0) << out;
  std::ofstream(home.Path() + "sample/broken.sam") << "not samples";
  std::filesystem::create_directories(home.Path() + "eval000.ann/x");  // the rename over it fails
  out = Cli("train --max-learn 1", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_NE(out.find("sample files: learned=1 skipped=1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("train: cannot write '" + home.Path() + "eval000.ann'"), std::string::npos) << out;
}

}  // namespace
