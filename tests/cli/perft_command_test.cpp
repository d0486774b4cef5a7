#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Perft(const std::string& args, int* exitCode) {
  return RunCommand(std::string(TARVO_CLI_PATH) + " perft " + args + " 2>&1", exitCode);
}

const std::regex kSummary(R"(nodes=(\d+) ms=\d+ nps=\d+)");

TEST(PerftCommand, CountsTheStartPosition) {
  int code = -1;
  const auto lines = Lines(Perft("3", &code));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 1u);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines.back(), match, kSummary)) << lines.back();
  EXPECT_EQ(match[1], "79666");
}

TEST(PerftCommand, DivideListsEveryRootMove) {
  int code = -1;
  const auto lines = Lines(Perft("2 --divide", &code));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 45u);
  const std::regex rootLine(R"(([a-i][0-9][a-i][0-9]): (\d+))");
  std::set<std::string> moves;
  long total = 0;
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i], match, rootLine)) << lines[i];
    moves.insert(match[1]);
    total += std::stol(match[2]);
  }
  EXPECT_EQ(moves.size(), 44u);
  EXPECT_TRUE(moves.count("h2e2"));
  EXPECT_EQ(total, 1920);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(lines.back(), match, kSummary));
  EXPECT_EQ(match[1], "1920");
}

TEST(PerftCommand, TakesAFenInOneOrSeveralArguments) {
  const std::string fen = "1c1akab1r/5r3/n3b4/2p1p1p1p/p8/4P2C1/P1P2cP1P/R3BC3/4NN3/2BAKA2R b - - 18 11";
  int code = -1;
  EXPECT_NE(Perft("2 '" + fen + "'", &code).find("nodes=1700 "), std::string::npos);
  EXPECT_EQ(code, 0);
  EXPECT_NE(Perft("2 " + fen, &code).find("nodes=1700 "), std::string::npos);
  EXPECT_EQ(code, 0);
}

TEST(PerftCommand, RefusesBadInput) {
  int code = -1;
  std::string out = Perft("3 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNX w'", &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(out.find("FEN"), std::string::npos) << out;
  EXPECT_NE(out.find("'X'"), std::string::npos) << out;

  out = Perft("2 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR'", &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(out.find("FEN"), std::string::npos) << out;

  out = Perft("three", &code);
  EXPECT_EQ(code, 1);
  EXPECT_NE(out.find("depth"), std::string::npos) << out;
  Perft("-1", &code);
  EXPECT_EQ(code, 1);
  Perft("", &code);
  EXPECT_EQ(code, 1);
}

}  // namespace
