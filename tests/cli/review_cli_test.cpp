// tarvo-cli review: one line a move, the counts at the end, the game written
// with its comments, and the options it refuses.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "test_support.h"

namespace {

class ReviewCli : public testing::Test {
 public:
  std::string Cli(const std::string& args, int* exitCode, const char* errors = "2>/dev/null") {
    return RunCommand("TARVO_HOME=" + home.Path() + " " + TARVO_CLI_PATH + " review " + args + " " + errors,
                      exitCode);
  }
  ScopedTarvoHome home;
};

TEST_F(ReviewCli, PrintsALineAMoveAndCountsTheMarksOfEachSide) {
  int status = -1;
  const std::string reviewed = home.Path() + "reviewed.pgn";
  const std::string out = Cli(TestDataPath("games/game02.pgn") + " --depth 3 --write " + reviewed, &status);
  ASSERT_EQ(status, 0) << out;
  const std::regex line(R"(^(\d+) ([a-i]\d[a-i]\d) (\S+) (-?M?\d+) (-?M?\d+) (\d+) (-|疑问手|败着)( better=[a-i]\d[a-i]\d \S+)?$)");
  const std::regex summary(R"(^mistakes=(\d+) blunders=(\d+) \(red (\d+)/(\d+), black (\d+)/(\d+)\)$)");
  std::istringstream text(out);
  std::string row;
  int ply = 0;
  int mistakes[2] {}, blunders[2] {};
  std::smatch m;
  while (std::getline(text, row)) {
    if (std::regex_match(row, m, summary)) {
      EXPECT_EQ(std::stoi(m[1]), mistakes[0] + mistakes[1]);
      EXPECT_EQ(std::stoi(m[2]), blunders[0] + blunders[1]);
      EXPECT_EQ(std::stoi(m[3]), mistakes[0]);
      EXPECT_EQ(std::stoi(m[4]), blunders[0]);
      EXPECT_EQ(std::stoi(m[5]), mistakes[1]);
      EXPECT_EQ(std::stoi(m[6]), blunders[1]);
      EXPECT_FALSE(std::getline(text, row)) << "after the counts: " << row;
      break;
    }
    ASSERT_TRUE(std::regex_match(row, m, line)) << row;
    EXPECT_EQ(std::stoi(m[1]), ++ply);
    const int loss = std::stoi(m[6]);
    const std::string before = m[4], after = m[5], mark = m[7];
    if (before.find('M') == std::string::npos && after.find('M') == std::string::npos) {
      EXPECT_EQ(loss, std::max(0, std::stoi(before) - std::stoi(after))) << row;
    }
    EXPECT_EQ(mark, loss >= 300 ? "败着" : loss >= 100 ? "疑问手" : "-") << row;
    EXPECT_EQ(m[8].matched, mark != "-") << row;
    const int side = ply % 2 == 1 ? 0 : 1;
    if (mark == "疑问手") ++mistakes[side];
    if (mark == "败着") ++blunders[side];
  }
  EXPECT_EQ(ply, 76);  // game02's plies

  // The written game carries a review comment for each marked move.
  const std::string shown = RunCommand(std::string(TARVO_CLI_PATH) + " pgn show " + reviewed, &status);
  size_t comments = 0;
  for (size_t at = shown.find("复盘："); at != std::string::npos; at = shown.find("复盘：", at + 1)) ++comments;
  EXPECT_EQ(comments, static_cast<size_t>(mistakes[0] + mistakes[1] + blunders[0] + blunders[1]));
}

TEST_F(ReviewCli, RefusesWhatItCannotDo) {
  const struct {
    std::string Args;
    const char* Says;
  } cases[] = {
      {TestDataPath("games/game02.pgn") + " --movetime 5", "--movetime"},
      {TestDataPath("games/game02.pgn") + " --depth 0", "--depth"},
      {TestDataPath("games/game02.pgn") + " --engine /nonexistent/engine", "EngineCommand"},
      {"", "name the game file"},
      {home.Path() + "missing.pgn", "missing.pgn"},
  };
  for (const auto& c : cases) {
    int status = 0;
    const std::string out = Cli(c.Args, &status, "2>&1");
    EXPECT_EQ(status, 1) << c.Args;
    EXPECT_NE(out.find(c.Says), std::string::npos) << c.Args << ": " << out;
  }
}

}  // namespace
