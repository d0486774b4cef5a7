// tarvo-cli selfplay as a user meets it: a run's closing line, a second run
// that finds nothing left to play, refused input, and Ctrl-C leaving only
// whole records behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class SelfPlayCli : public testing::Test {
 public:
  std::string Cli(const std::string& args, int* exitCode) {
    return RunCommand("TARVO_HOME=" + home.Path() + " " + TARVO_CLI_PATH + " selfplay " + args + " 2>&1", exitCode);
  }
  ScopedTarvoHome home;
};

TEST_F(SelfPlayCli, ARunEndsWithItsSummaryAndASecondRunPlaysNothing) {
  const std::string out = home.Path() + "games";
  const std::string args = out + " --games 2 --a-depth 1 --b-depth 1 --threads 2 --seed 3";
  int code = -1;
  std::string text = Cli(args, &code);
  EXPECT_EQ(code, 0) << text;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(text, m, std::regex(R"(games=2 played=2 a_wins=(\d+) draws=(\d+) a_losses=(\d+) games_per_hour=\d+)")))
      << text;
  EXPECT_EQ(std::stoi(m[1]) + std::stoi(m[2]) + std::stoi(m[3]), 2);
  EXPECT_TRUE(fs::exists(out + "/selfplay_000002.pgn"));
  text = Cli(args, &code);
  EXPECT_EQ(code, 0) << text;
  EXPECT_NE(text.find("games=2 played=0"), std::string::npos) << text;
}

TEST_F(SelfPlayCli, BadInputIsRefusedNamingWhatIsWrong) {
  const struct {
    const char* Args;
    const char* Says;
  } cases[] = {
      {"DIR --games 0", "Games: must be between 1 and"},
      {"DIR --threads 99", "Threads: must be between 1 and 64"},
      {"DIR --a-eval strong", "--a-eval takes default or ann"},
      {"DIR --b-depth x", "--b-depth takes a number"},
      {"--games 2", "OUTDIR is missing"},
      {"DIR --seed -1", "Seed: must be between 0 and 4294967295"},
  };
  for (const auto& c : cases) {
    std::string args = c.Args;
    if (args.rfind("DIR", 0) == 0) args.replace(0, 3, home.Path() + "never");
    int code = -1;
    const std::string text = Cli(args, &code);
    EXPECT_EQ(code, 1) << c.Args;
    EXPECT_NE(text.find(c.Says), std::string::npos) << c.Args << ": " << text;
  }
  EXPECT_FALSE(fs::exists(home.Path() + "never"));
  int code = -1;
  EXPECT_NE(Cli("--help", &code).find("games_per_hour="), std::string::npos);
  EXPECT_EQ(code, 0);
}

TEST_F(SelfPlayCli, CtrlCStopsWithStatus130AndOnlyWholeRecords) {
  const std::string out = home.Path() + "games";
  const std::string cli = TARVO_CLI_PATH;
  std::vector<std::string> words = {cli, "selfplay", out, "--games", "100000", "--a-depth", "1", "--b-depth", "1"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::string homeVar = "TARVO_HOME=" + home.Path();
  std::vector<char*> env = {homeVar.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), env.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  for (int i = 0; i < 6000 && !fs::exists(out + "/selfplay_000003.pgn"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(kill(pid, SIGINT), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  for (const auto& entry : fs::directory_iterator(out)) {
    const std::string name = entry.path().filename();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(selfplay_\d{6}\.pgn)"))) << name;
  }
}

}  // namespace
