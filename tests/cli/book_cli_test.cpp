// tarvo-cli book build and book probe, as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/file_util.h"
#include "test_support.h"

namespace {

class BookCli : public testing::Test {
 public:
  std::string Cli(const std::string& args, int* exitCode) {
    return RunCommand("TARVO_HOME=" + Home.Path() + " " + TARVO_CLI_PATH + " " + args + " 2>&1", exitCode);
  }
  std::string BookPath() const { return Home.Path() + "book/book.tab"; }
  std::string ReadText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
  }
  // The first `count` games of the ICCS master collection as game files in Home/games.
  std::string ImportGames(int count) {
    const std::string all = ReadText(TestDataPath("iccs/master_games_1125.pgn"));
    size_t end = 0;
    for (int i = 0; i < count && end != std::string::npos; ++i) end = all.find("\n[Event", end + 1);
    EXPECT_EQ(WriteFileAtomically(Home.Path() + "games.iccs", all.substr(0, end)), 1);
    int exitCode = -1;
    Cli("pgn import-iccs " + Home.Path() + "games.iccs " + Home.Path() + "games", &exitCode);
    EXPECT_EQ(exitCode, 0);
    return Home.Path() + "games";
  }
  // A book file that a failed build must leave as it was.
  std::string KeepBook() {
    const std::string kept = "MinWeight =4\nWonWeight =3\nDrawWeight=1\nLossWeight=-1\n\nBookNodeCount=0\n\n\n";
    std::filesystem::create_directories(Home.Path() + "book");
    EXPECT_EQ(WriteFileAtomically(BookPath(), kept), 1);
    return kept;
  }
  ScopedTarvoHome Home;
};

TEST_F(BookCli, HelpNamesBothJobs) {
  int exitCode = -1;
  const std::string help = Cli("book --help", &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(help.find("book build DIR [--min-weight N]"), std::string::npos) << help;
  EXPECT_NE(help.find("book probe [--fen FEN] [--moves ICCS...]"), std::string::npos) << help;
  EXPECT_EQ(Cli("book build --help", &exitCode), help);
  EXPECT_EQ(exitCode, 0);
}

TEST_F(BookCli, BadInputIsNamedAndLeavesTheBookAsItWas) {
  const std::string kept = KeepBook();
  const std::string empty = Home.Path() + "empty";
  std::filesystem::create_directories(empty);
  const std::string games = Home.Path() + "games";
  std::filesystem::create_directories(games);
  ASSERT_EQ(WriteFileAtomically(games + "/bad.pgn", "[FEN \"nonsense\"]\n"), 1);
  const struct {
    std::string Args, Named;
  } cases[] = {
      {"book build " + Home.Path() + "missing", Home.Path() + "missing"},
      {"book build " + empty, empty},
      {"book build " + games, games + "/bad.pgn"},
      {"book build " + empty + " --min-weight x4", "--min-weight"},
      {"book build " + empty + " --won-weight 99999999999", "--won-weight"},
      {"book build " + empty + " --loss-weight", "--loss-weight"},
      {"book build " + empty + " --bogus 1", "--bogus"},
      {"book build", "folder"},
      {"book", "book"},
  };
  for (const auto& c : cases) {
    int exitCode = 0;
    const std::string output = Cli(c.Args, &exitCode);
    EXPECT_NE(exitCode, 0) << c.Args;
    EXPECT_NE(output.find(c.Named), std::string::npos) << c.Args << "\n" << output;
    // A skipped file gets its own line before the refusal.
    if (c.Args != "book build " + games) {
      EXPECT_EQ(output.find('\n'), output.size() - 1) << "one line: " << output;
    }
    EXPECT_EQ(ReadText(BookPath()), kept) << c.Args;
  }
}

TEST_F(BookCli, ProbeWithoutBookOrWithBadPositionFails) {
  int exitCode = 0;
  Cli("book probe", &exitCode);  // the first start puts the shipped book in
  // A deleted book comes back as the shipped one; a folder in its place is no book.
  std::filesystem::remove(BookPath());
  std::filesystem::create_directories(BookPath());
  EXPECT_NE(Cli("book probe", &exitCode).find("book/book.tab"), std::string::npos);
  EXPECT_NE(exitCode, 0);
  std::filesystem::remove(BookPath());
  KeepBook();
  EXPECT_NE(Cli("book probe --fen nonsense", &exitCode).find("nonsense"), std::string::npos);
  EXPECT_NE(exitCode, 0);
  EXPECT_NE(Cli("book probe --moves h2e2 h2e2", &exitCode).find("h2e2"), std::string::npos);
  EXPECT_NE(exitCode, 0);
  EXPECT_EQ(Cli("book probe", &exitCode), "no book moves\n");
  EXPECT_EQ(exitCode, 0);
}

TEST_F(BookCli, BuildFromAFewGamesThenProbe) {
  const std::string games = ImportGames(40);
  int exitCode = -1;
  const std::string output = Cli("book build " + games + " --min-weight 2 --draw-weight 1", &exitCode);
  ASSERT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("games=40 skipped=0 nodes="), std::string::npos) << output;
  EXPECT_NE(output.find("MinWeight=2 WonWeight=3 DrawWeight=1 LossWeight=-1"), std::string::npos) << output;
  EXPECT_TRUE(std::filesystem::exists(Home.Path() + "creating.txt"));

  // Every game of the collection opens with the central cannon or its mirror.
  const std::string start = Cli("book probe", &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(start.rfind("h2e2 ", 0), 0u) << start;
  EXPECT_NE(start.find("b2e2 "), std::string::npos) << start;
  EXPECT_NE(start.find(" 砲二平五\n"), std::string::npos) << start;
  // Black's answers after it, with black's notation; the same through a FEN.
  const std::string reply = Cli("book probe --moves h2e2", &exitCode);
  EXPECT_EQ(reply.rfind("h9g7 ", 0), 0u) << reply;
  EXPECT_EQ(Cli("book probe --fen '" + std::string("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b") +
                    "'",
                &exitCode),
            reply);
  // Bare kings are in no book.
  EXPECT_EQ(Cli("book probe --fen '4k4/9/9/9/9/9/9/9/9/4K4 w'", &exitCode), "no book moves\n");

  // A second run over the same games gives the same book.
  const std::string first = ReadText(BookPath());
  const std::string again = Cli("book build " + games + " --min-weight 2 --draw-weight 1", &exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(again.substr(again.find("games=")), output.substr(output.find("games=")));  // rates differ
  EXPECT_EQ(ReadText(BookPath()), first);
}

TEST_F(BookCli, SlowMasterGamesBookOffersTheUsualFirstMoves) {
  const std::string games = ImportGames(1125);
  int exitCode = -1;
  const std::string output = Cli("book build " + games, &exitCode);
  ASSERT_EQ(exitCode, 0) << output;
  EXPECT_NE(output.find("games=1125 "), std::string::npos) << output;
  const std::string start = Cli("book probe", &exitCode);
  ASSERT_EQ(exitCode, 0);
  // The central cannon first (its mirror shares its weight), then the
  // pawn and elephant openings.
  EXPECT_EQ(start.rfind("h2e2 ", 0), 0u) << start;
  EXPECT_NE(start.find(" 砲二平五\n"), std::string::npos) << start;
  for (const char* move : {"b2e2 ", "c3c4 ", "g3g4 ", "c0e2 ", "g0e2 ", "h0g2 "})
    EXPECT_NE(start.find(move), std::string::npos) << move << "\n" << start;
  EXPECT_EQ(Cli("book probe --moves h2e2", &exitCode).rfind("h9g7 ", 0), 0u);
}

}  // namespace
