// tarvo-cli go, bench and ucci, run as programs.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

class SearchCommandsTest : public testing::Test {
 protected:
  ScopedTarvoHome Home;
  std::string Cli(const std::string& args, int* exitCode, const std::string& input = "") {
    std::string command = "TARVO_HOME='" + Home.Path() + "' " + TARVO_CLI_PATH + " " + args + " 2>&1";
    if (!input.empty()) command = "printf '" + input + "' | " + command;
    return RunCommand(command, exitCode);
  }
};

TEST_F(SearchCommandsTest, GoPrintsIterationsThenTheMove) {
  int code = -1;
  const auto lines = SplitLines(Cli("go --depth 3 --no-book --eval default", &code));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 4u);
  const std::regex info(R"(info depth \d score -?\d+ ms \d+ nodes \d+ move [a-i]\d[a-i]\d)");
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::regex_match(lines[static_cast<size_t>(i)], info)) << lines[i];
  const std::regex best(R"(bestmove [a-i]\d[a-i]\d \S+ score=-?\d+ depth=3 ms=\d+ nodes=\d+)");
  EXPECT_TRUE(std::regex_match(lines[3], best)) << lines[3];
}

TEST_F(SearchCommandsTest, GoPlaysTheMovesFirstAndFindsTheMate) {
  int code = -1;
  std::string out = Cli("go --fen 3k5/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1 --depth 4 --search mtdf --eval ann", &code);
  EXPECT_EQ(code, 0);
  EXPECT_NE(out.find("bestmove e1d1 車五平六 score=536870912 depth=1 "), std::string::npos) << out;

  out = Cli("go --fen 3k5/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1 --moves e1d1 --depth 2 --no-null", &code);
  EXPECT_EQ(code, 0);
  EXPECT_NE(out.find("bestmove none score=-536870912"), std::string::npos) << out;
}

TEST_F(SearchCommandsTest, GoRejectsBadInput) {
  int code = 0;
  for (const char* args : {"go --moves h2e3", "go --depth 0", "go --depth 125", "go --movetime x", "go --fen nonsense",
                           "go --eval neural", "go --search alphabeta", "go --frobnicate"}) {
    const std::string out = Cli(args, &code);
    EXPECT_EQ(code, 1) << args;
    EXPECT_NE(out.find("tarvo-cli: go: "), std::string::npos) << args << ": " << out;
  }
}

TEST_F(SearchCommandsTest, GoAlwaysAnswersWithASearchedMove) {
  int code = -1;
  // However short the time, the first iteration finishes.
  std::string out = Cli("go --movetime 1 --no-book", &code);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(std::regex_search(out, std::regex(R"(\nbestmove [a-i]\d[a-i]\d \S+ score=-?\d+ depth=1 )"))) << out;

  // A lost position still gets its move; only a side without one has none,
  // and it is not searched again and again.
  out = Cli("go --fen 3k5/9/9/9/9/9/9/9/3R5/4K4 b - - 0 1", &code);
  EXPECT_EQ(code, 0);
  const auto lines = SplitLines(out);
  ASSERT_EQ(lines.size(), 2u) << out;
  EXPECT_EQ(lines[0].rfind("info depth 1 score -536870912 ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "bestmove none score=-536870912");
}

// The node total of a fixed search is the engine's signature: any change of
// move order, pruning, windows or evaluation shows here.
TEST_F(SearchCommandsTest, BenchNodeTotalIsPinned) {
  int code = -1;
  const auto lines = SplitLines(Cli("bench 4", &code));
  EXPECT_EQ(code, 0);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("nodes=129995 ", 0), 0u) << lines.back();
}

TEST_F(SearchCommandsTest, SlowBenchNodeTotalAtTheDefaultDepthIsPinned) {
  int code = -1;
  const auto lines = SplitLines(Cli("bench", &code));
  EXPECT_EQ(code, 0);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("nodes=2898772 ", 0), 0u) << lines.back();
}

TEST_F(SearchCommandsTest, BenchSearchesEveryPositionWithEachModel) {
  int code = -1;
  const auto lines = SplitLines(Cli("bench 2", &code));
  EXPECT_EQ(code, 0);
  ASSERT_GE(lines.size(), 17u);
  EXPECT_TRUE(std::regex_match(lines.back(), std::regex(R"(nodes=\d+ ms=\d+ nps=\d+)"))) << lines.back();
  int defaultLines = 0, annLines = 0;
  for (const auto& line : lines) {
    defaultLines += line.find("eval=default") != std::string::npos;
    annLines += line.find("eval=ann") != std::string::npos;
  }
  EXPECT_GE(defaultLines, 8);
  EXPECT_EQ(annLines, defaultLines);
  // The node count is the same on every run.
  const auto again = SplitLines(Cli("bench 2", &code));
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again.back().substr(0, again.back().find(' ')), lines.back().substr(0, lines.back().find(' ')));
  EXPECT_EQ(Cli("bench 0", &code).find("bad depth") != std::string::npos, true);
  EXPECT_EQ(code, 1);
}

TEST_F(SearchCommandsTest, UcciAndUciThroughPipes) {
  int code = -1;
  auto lines = SplitLines(Cli("ucci", &code, "ucci\\nisready\\nsetoption usebook false\\nposition startpos moves h2e2\\n"
                                             "go depth 2\\n"));
  EXPECT_EQ(code, 0);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "ucciok"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "readyok"), lines.end());
  EXPECT_TRUE(std::regex_match(lines.back(), std::regex(R"(bestmove [a-i]\d[a-i]\d)"))) << lines.back();

  // banmoves, probe and a node limit through the pipe.
  lines = SplitLines(Cli("ucci", &code, "setoption usebook false\\nposition startpos\\nbanmoves h0g2\\n"
                                        "go nodes 1\\nprobe\\nquit\\n"));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 4u) << testing::PrintToString(lines);
  EXPECT_EQ(lines[0].rfind("info depth 1 ", 0), 0u) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(bestmove [a-i]\d[a-i]\d)"))) << lines[1];
  EXPECT_NE(lines[1], "bestmove h0g2");
  EXPECT_EQ(lines[2].rfind("pophash bestmove " + lines[1].substr(9), 0), 0u) << lines[2];
  EXPECT_EQ(lines[3], "bye");

  lines = SplitLines(Cli("uci", &code, "uci\\nposition startpos moves h3e3\\ngo depth 1\\nquit\\n"));
  EXPECT_EQ(code, 0);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "uciok"), lines.end());
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(std::regex_match(lines.back(), std::regex(R"(bestmove [a-i]\d+[a-i]\d+)"))) << lines.back();
}

}  // namespace
