// tarvo-cli pgn show and pgn import-iccs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "test_support.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::unique_ptr<CVoice> NoVoice() { return nullptr; }

class PgnCli : public testing::Test {
 public:
  std::string Cli(const std::string& args, int* exitCode) {
    return RunCommand("TARVO_HOME=" + home.Path() + " " + TARVO_CLI_PATH + " " + args + " 2>&1",
                      exitCode);
  }
  ScopedTarvoHome home;
};

// The games of the ICCS collection: each game's text and its moves.
struct IccsGame {
  std::string Text;
  std::vector<std::string> Moves;
};

std::vector<IccsGame> IccsGames() {
  const std::string text = ReadText(TestDataPath("iccs/master_games_1125.pgn"));
  std::vector<IccsGame> games;
  size_t at = 0;
  while ((at = text.find("[Event", at)) != std::string::npos) {
    size_t next = text.find("\n[Event", at);
    if (next != std::string::npos) ++next;
    IccsGame game;
    game.Text = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
    static const std::regex move("[a-i][0-9][a-i][0-9]");
    const std::string body = game.Text.substr(game.Text.find("\n\n"));
    for (std::sregex_iterator it(body.begin(), body.end(), move), end; it != end; ++it)
      game.Moves.push_back(it->str());
    games.push_back(game);
    at = next == std::string::npos ? text.size() : next;
  }
  return games;
}

// Imports the games and checks that every written file loads back to all
// the moves of its game. Returns what the command printed.
std::string ImportAndCheck(PgnCli& test, const std::vector<IccsGame>& games, const std::string& input,
                    int expectedSkipped) {
  const std::string out = test.home.Path() + "imported";
  int exitCode = -1;
  const std::string output = test.Cli("pgn import-iccs " + input + " " + out, &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  const int total = static_cast<int>(games.size());
  EXPECT_NE(output.find("games=" + std::to_string(total - expectedSkipped) +
                        " skipped=" + std::to_string(expectedSkipped) + "\n"),
            std::string::npos)
      << output;

  BuildMoveTables();
  BuildNotationMaps();
  auto game = std::make_unique<CGame>(&NoVoice);
  for (int n = 1; n <= total; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "/game%04d.pgn", n);
    const std::string path = out + name;
    if (!std::filesystem::exists(path)) continue;
    SCOPED_TRACE(path);
    EXPECT_EQ(game->LoadPgn(path), 1);
    const std::vector<std::string>& moves = games[n - 1].Moves;
    const int plies = game->Record().Current + 1;
    EXPECT_EQ(plies, static_cast<int>(moves.size()));
    if (plies != static_cast<int>(moves.size())) continue;
    for (int i = 0; i < plies; ++i) EXPECT_EQ(MoveToIccs(game->Record()[i].Move), moves[i]) << i;
  }
  return output;
}

TEST_F(PgnCli, ShowPrintsTagsMovesFenAndResult) {
  int exitCode = -1;
  const std::string output = Cli("pgn show " + TestDataPath("games/game01.pgn"), &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(output.find("[Red \"ZHAO GuoRong\"]\n"), std::string::npos) << output;
  EXPECT_NE(output.find("  1.   砲二平五 h2e2\n  1... 馬８进７ h9g7\n"), std::string::npos) << output;
  EXPECT_NE(output.find("plies=127\n"), std::string::npos);
  EXPECT_NE(output.find("fen=3aka3/9/9/3P5/7r1/9/6R2/4B4/3p2p2/3AKA3 b"), std::string::npos);
  EXPECT_NE(output.find("result=*\n"), std::string::npos);
}

TEST_F(PgnCli, ShowReportsAFileThatFailsToLoad) {
  int exitCode = -1;
  const std::string bad = home.Path() + "tags-only.pgn";
  std::ofstream(bad) << "[Event \"E\"]\r\n";
  const std::string output = Cli("pgn show " + bad, &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(output.find("加载棋谱失败."), std::string::npos) << output;
  EXPECT_NE(output.find(bad), std::string::npos) << output;
}

TEST_F(PgnCli, ImportIccsSubsetWithAnIllegalGame) {
  std::vector<IccsGame> games = IccsGames();
  ASSERT_EQ(games.size(), 1125u);
  games.resize(40);
  // Game 41 moves a pinned chariot off the file and leaves its king to the
  // black chariot; game 42 moves a horse onto its own cannon.
  IccsGame exposes {"[Event \"Pinned\"]\n[FEN \"3r1k3/9/9/9/9/9/9/9/3R5/3K5 w - - 0 1\"]\n\n"
                    "1. d1d2 f9e9 2. d2e2\n",
                    {}};
  IccsGame illegal {"[Game \"Chinese Chess\"]\n[Event \"Jump\"]\n\n1. h0h2 h9g7 1-0\n", {}};
  games.push_back(exposes);
  games.push_back(illegal);
  std::string input;
  for (const IccsGame& game : games) input += game.Text + "\n";
  const std::string path = home.Path() + "subset.txt";
  std::ofstream(path, std::ios::binary) << input;

  const std::string output = ImportAndCheck(*this, games, path, 2);
  EXPECT_TRUE(std::regex_search(output, std::regex("game 41 \\(line [0-9]+\\): illegal move 'd2e2' at ply 3, skipped\n")))
      << output;
  EXPECT_TRUE(std::regex_search(output, std::regex("game 42 \\(line [0-9]+\\): illegal move 'h0h2' at ply 1, skipped\n")))
      << output;
  EXPECT_TRUE(std::filesystem::exists(home.Path() + "imported/game0040.pgn"));
  EXPECT_FALSE(std::filesystem::exists(home.Path() + "imported/game0041.pgn"));
}

TEST_F(PgnCli, ShowSaysWhereAndWhyReadingStopped) {
  const std::string path = home.Path() + "stops.pgn";
  // GB2312 bytes: [Red "红方"], then 炮二平五 马８进７ and a cannon move that cannot be.
  std::ofstream(path, std::ios::binary)
      << "[Red \"\xBA\xEC\xB7\xBD\"]\r\n\r\n1. \xC5\xDA\xB6\xFE\xC6\xBD\xCE\xE5 "
         "\xC2\xED\xA3\xB8\xBD\xF8\xA3\xB7\r\n2. \xC5\xDA\xB0\xCB\xBD\xF8\xBE\xC5\r\n";
  int exitCode = -1;
  const std::string output = Cli("pgn show " + path, &exitCode);
  EXPECT_EQ(exitCode, 2);
  EXPECT_NE(output.find("[Red \"红方\"]\n"), std::string::npos) << output;
  EXPECT_NE(output.find("plies=2\n"), std::string::npos) << output;
  EXPECT_NE(output.find("pgn show: '" + path +
                        "': read 2 plies; stopped at line 4: '炮八进九' is not a move of the position\n"),
            std::string::npos)
      << output;
}

TEST_F(PgnCli, ShowRefusesWhatIsNoGameFile) {
  int exitCode = -1;
  std::string output = Cli("pgn show /dev/zero", &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(output.find("cannot load '/dev/zero': is a device or a pipe"), std::string::npos)
      << output;
  output = Cli("pgn show " + home.Path(), &exitCode);
  EXPECT_EQ(exitCode, 1);
  EXPECT_NE(output.find("is a folder"), std::string::npos) << output;
}

TEST_F(PgnCli, ImportSplitsOnTagSectionsKeepsCommentsAndLeavesOutVariations) {
  const std::string path = home.Path() + "games.txt";
  std::ofstream(path, std::ios::binary)
      << "\xEF\xBB\xBF[Red \"红\"]\n[Black \"黑\"]\n\n1. h2e2 {好棋} h9g7 (1... b9c7 {另一} 2. h0g2) 2. h0g2\n"
         "{two\nlines} 1/2-1/2\n"
         "[Red \"A\"]\n[Result \"1-0\"]\n\n1. b2e2 b9c7\n";
  const std::string out = home.Path() + "split";
  int exitCode = -1;
  const std::string output = Cli("pgn import-iccs " + path + " " + out, &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("variations left out (only main lines are kept): 1\n"), std::string::npos)
      << output;
  EXPECT_NE(output.find("games=2 skipped=0\n"), std::string::npos) << output;

  BuildMoveTables();
  BuildNotationMaps();
  auto game = std::make_unique<CGame>(&NoVoice);
  ASSERT_EQ(game->LoadPgn(out + "/game0001.pgn"), 1);
  ASSERT_EQ(game->Record().Current + 1, 3);
  EXPECT_EQ(game->Record()[0].Comment, "\xBA\xC3\xC6\xE5");  // 好棋 in GB2312
  EXPECT_EQ(game->Record()[2].Comment, "two\nlines");
  EXPECT_EQ(game->Red, "\xBA\xEC");
  EXPECT_EQ(game->Result, "1/2-1/2");
  ASSERT_EQ(game->LoadPgn(out + "/game0002.pgn"), 1);
  EXPECT_EQ(game->Record().Current + 1, 2);
  EXPECT_EQ(game->Red, "A");
  EXPECT_EQ(game->Result, "1-0");

  // A second run into the same folder replaces the files and says so.
  const std::string again = Cli("pgn import-iccs " + path + " " + out, &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(again.find("files replaced in '" + out + "/': 2\n"), std::string::npos) << again;
}

TEST_F(PgnCli, ImportReportsLongGamesAndFailsWhenNothingIsImported) {
  std::string moves;
  for (int i = 0; i < 257; ++i) moves += "h0g2 h9g7 g2h0 g7h9\n";  // 1,028 plies
  const std::string path = home.Path() + "long.txt";
  std::ofstream(path, std::ios::binary) << "[Event \"Long\"]\n\n" << moves;
  int exitCode = -1;
  std::string output = Cli("pgn import-iccs " + path + " " + home.Path() + "long", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("game 1 (line 1): longer than 1024 plies, the most a game holds; the first "
                        "1024 written\n"),
            std::string::npos)
      << output;
  EXPECT_EQ(output.find("fourth"), std::string::npos) << output;

  // A game of more text than a game file holds is skipped; the next one is read.
  std::string huge = "[Event \"Huge\"]\n\n";
  while (huge.size() <= (8u << 20)) huge += "h2e2 e2h2 ";
  huge += "\n[Event \"Small\"]\n\n1. h2e2 h9g7\n";
  const std::string hugePath = home.Path() + "huge.txt";
  std::ofstream(hugePath, std::ios::binary) << huge;
  output = Cli("pgn import-iccs " + hugePath + " " + home.Path() + "huge", &exitCode);
  EXPECT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("game 1 (line 1): longer than 8 MB, skipped\n"), std::string::npos);
  EXPECT_NE(output.find("games=1 skipped=1\n"), std::string::npos) << output;

  const std::string bad = home.Path() + "bad.txt";
  std::ofstream(bad, std::ios::binary) << "[Event \"Bad\"]\n\n1. h0h2\n";
  output = Cli("pgn import-iccs " + bad + " " + home.Path() + "bad", &exitCode);
  EXPECT_EQ(exitCode, 1) << output;
  EXPECT_NE(output.find("no game imported"), std::string::npos) << output;
  // A file that cannot be written stops the import rather than fail on every game.
  std::filesystem::create_directories(home.Path() + "blocked/game0001.pgn");
  output = Cli("pgn import-iccs " + path + " " + home.Path() + "blocked", &exitCode);
  EXPECT_EQ(exitCode, 1) << output;
  EXPECT_NE(output.find("cannot write '" + home.Path() + "blocked/game0001.pgn'"), std::string::npos)
      << output;
  output = Cli("pgn import-iccs /dev/zero " + home.Path() + "zero", &exitCode);
  EXPECT_EQ(exitCode, 1) << output;
  EXPECT_NE(output.find("is a device or a pipe"), std::string::npos) << output;
}

TEST_F(PgnCli, SlowImportIccsWholeCollection) {
  const std::vector<IccsGame> games = IccsGames();
  ImportAndCheck(*this, games, TestDataPath("iccs/master_games_1125.pgn"), 0);
}

}  // namespace
