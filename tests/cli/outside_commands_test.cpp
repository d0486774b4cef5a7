// tarvo-cli match, train-games and check, run as programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "test_support.h"

namespace {

const std::regex kSummary(R"(wins=\d+ draws=\d+ losses=\d+ elo=(-?\d+\.\d|inf|-inf) margin=(\d+\.\d|inf))");

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t FileCount(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.is_regular_file() ? 1 : 0;
  return count;
}

class OutsideCommandsTest : public testing::Test {
 protected:
  ScopedTarvoHome Home;
  std::string Cli(const std::string& args, int* exitCode, bool withErrors = true) {
    return RunCommand("TARVO_HOME='" + Home.Path() + "' " + TARVO_CLI_PATH + " " + args +
                          (withErrors ? " 2>&1" : " 2>/dev/null"),
                      exitCode);
  }
  // Our own engine as the outside program, on piece values.
  std::string SelfEngine() const {
    return "--engine \"" + std::string(TARVO_CLI_PATH) + " ucci\" --engine-option evalmodel=default";
  }
  // A UCCI engine that has no move in any position.
  std::string NoMoveEngine() {
    const std::string path = Home.Path() + "nomove.sh";
    std::ofstream(path) << "while read line; do case \"$line\" in ucci) echo ucciok;; isready) echo readyok;;\n"
                           "go*) echo nobestmove;; quit) exit 0;; esac; done\n";
    return "sh " + path;  // named after its script: "nomove.sh"
  }
};

TEST_F(OutsideCommandsTest, EveryCommandExplainsItself) {
  for (const char* command : {"match", "train-games", "check"}) {
    int code = -1;
    const std::string out = Cli(std::string(command) + " --help", &code);
    EXPECT_EQ(code, 0) << command;
    EXPECT_NE(out.find(std::string("Usage: tarvo-cli ") + command), std::string::npos) << out;
    EXPECT_NE(out.find("--engine-option NAME=VALUE"), std::string::npos) << out;
  }
}

TEST_F(OutsideCommandsTest, BadInputGivesOneClearLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"match", "match: --engine CMD is required"},
      {"match --engine /nonexistent/engine-xyz", "match: '/nonexistent/engine-xyz': command not found"},
      {"match --engine false", "match: 'false' ended (exit status 1)"},
      {"match --engine x --games 0", "match: Games: must be between 1 and 100000 (got 0)"},
      {"match --engine x --movetime -1", "match: MoveTime: must be between 1 and 3600000 (got -1)"},
      {"match --engine x --games many", "match: --games takes a number, not 'many'"},
      {"match --engine x --eval neural", "match: --eval takes default or ann"},
      {"match --engine x --engine-option Skill", "match: --engine-option takes NAME=VALUE"},
      {"train-games --max-move-count x", "train-games: --max-move-count takes"},
      {"train-games --max-learn-count -1", "train-games: MaxLearnCount: must be between 1 and 1000 (got -1)"},
      {"train-games --max-learn-count 10000000", "train-games: MaxLearnCount: must be between 1 and 1000"},
      {"train-games --auto-save-count 0", "train-games: AutoSaveCount: must be between 1 and"},
      {"train-games --alpha", "train-games: unexpected argument '--alpha'"},
      {"train-games --vs-engine /nonexistent/engine-xyz --root-dir " + Home.Path() + "case",
       "train-games: '/nonexistent/engine-xyz': command not found"},
      {"check", "check: name the folder to check"},
      {"check /nonexistent/folder-xyz", "check: RootDir: no such folder '/nonexistent/folder-xyz'"},
      {"check . --movetime -5", "check: MoveTime: must be between 1 and 3600000 (got -5)"},
      {"check . --movetime x", "check: --movetime takes a number, not 'x'"},
  };
  for (const auto& [args, message] : cases) {
    int code = 0;
    const std::string out = Cli(args, &code);
    EXPECT_EQ(code, 1) << args;
    EXPECT_NE(out.find("tarvo-cli: " + message), std::string::npos) << args << ": " << out;
    EXPECT_EQ(Lines(out).size(), 1u) << args << ": " << out;
  }
}

TEST_F(OutsideCommandsTest, MatchAgainstAnEngineWithoutMovesEndsEveryGameAtOnce) {
  int code = -1;
  const std::string out = Home.Path() + "games";
  const std::vector<std::string> lines =
      Lines(Cli("match --engine \"" + NoMoveEngine() + "\" --games 3 --movetime 200 --eval default --out " + out,
                &code, false));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 4u);
  // Our engine is red in odd games and moves first; the other has no move and loses.
  EXPECT_EQ(lines[0].rfind("game 1: Tarvo (red) - nomove.sh (black) 1-0 in 1 moves ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("game 2: nomove.sh (red) - Tarvo (black) 0-1 in 0 moves ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[3], "wins=3 draws=0 losses=0 elo=inf margin=inf");
  EXPECT_EQ(FileCount(out), 3u);
  // A second run adds its own files.
  Cli("match --engine \"" + NoMoveEngine() + "\" --games 1 --movetime 200 --eval default --out " + out, &code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(FileCount(out), 4u);
}

TEST_F(OutsideCommandsTest, TwoGameMatchAgainstOurOwnUcciEngineSlow) {
  int code = -1;
  const std::vector<std::string> lines =
      Lines(Cli("match " + SelfEngine() + " --games 2 --movetime 20 --eval default --search mtdf", &code, false));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("game 1: Tarvo (red) - Tarvo (black) ", 0), 0u) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[2], kSummary)) << lines[2];
}

TEST_F(OutsideCommandsTest, TwoGameMatchAgainstFairyStockfishSlow) {
  if (access("/usr/games/fairy-stockfish", X_OK) != 0) GTEST_SKIP() << "fairy-stockfish is not installed";
  int code = -1;
  const std::vector<std::string> lines = Lines(
      Cli("match --engine /usr/games/fairy-stockfish --engine-option Skill_Level=-20 --games 2 --movetime 20",
          &code, false));
  EXPECT_EQ(code, 0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find("Fairy-Stockfish"), std::string::npos) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], kSummary)) << lines[2];
}

TEST_F(OutsideCommandsTest, CtrlCStopsAMatchWithTheResultSoFar) {
  const std::string out = Home.Path() + "out.txt";
  const std::string command =
      "TARVO_HOME='" + Home.Path() + "' " + TARVO_CLI_PATH + " match --engine \"" + NoMoveEngine() +
      "\" --games 100000 --movetime 200 --eval default > " + out + " 2>/dev/null & pid=$!; "
      "for i in $(seq 600); do grep -q '^game 2:' " + out + " && break; sleep 0.1; done; "
      "kill -INT $pid; wait $pid; echo \"rc=$?\"";
  const std::string result = RunCommand(command);
  EXPECT_NE(result.find("rc=130"), std::string::npos) << result;
  const std::vector<std::string> lines = Lines(ReadTextFile(out));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_TRUE(std::regex_match(lines.back(), kSummary)) << lines.back();
}

TEST_F(OutsideCommandsTest, SelfPlayTrainingSavesItsGameAndCheckCompletesAFolder) {
  int code = -1;
  const std::string root = Home.Path() + "case";
  std::string out = Cli("train-games --max-train-count 1 --max-move-count 4 --cull-draw 0 --movetime 200 --root-dir " +
                            root, &code, false);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(out.rfind("game 1: Default (red) - TdbpAnn (black) * in 4 moves: saved as case_draw_004_", 0), 0u) << out;
  EXPECT_EQ(FileCount(root), 1u);

  const std::string file = std::filesystem::directory_iterator(root)->path();
  const std::string before = ReadTextFile(file);
  out = Cli("check " + root + " --engine \"" + NoMoveEngine() + "\"", &code);
  EXPECT_EQ(code, 0) << out;
  // After two moves each, red has moves: an engine that gives none is at
  // fault, and the game is neither lost nor rewritten.
  EXPECT_NE(out.find(": engine fault: no move given where legal moves exist, 4 -> 4 moves, * (left as it was)"),
            std::string::npos) << out;
  EXPECT_NE(out.find("0 written, 1 left as they were, 0 results changed"), std::string::npos) << out;
  EXPECT_EQ(ReadTextFile(file), before);
}

}  // namespace
