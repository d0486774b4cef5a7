// The opening-book builder: the four images and their weights, the walk over
// a tree of game records, the stop and the time limit, CullBad, the log, and
// the gathered table against the one AddNode builds node by node.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "engine/engine_position.h"
#include "engine/opening_book.h"
#include "jobs/book_builder.h"
#include "jobs/job.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "test_support.h"

namespace {

std::unique_ptr<CVoice> NoVoice() { return nullptr; }

std::string ReadText(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

// The first `count` games of the ICCS master collection, written as game
// files by tarvo-cli pgn import-iccs into `folder`.
void ImportIccsGames(const std::string& folder, int count) {
  const std::string all = ReadText(TestDataPath("iccs/master_games_1125.pgn"));
  size_t end = 0;
  for (int i = 0; i < count && end != std::string::npos; ++i) end = all.find("\n[Event", end + 1);
  const std::string part = folder.substr(0, folder.size() - 1) + ".iccs";  // beside the folder
  ASSERT_EQ(WriteFileAtomically(part, all.substr(0, end)), 1);
  int exitCode = -1;
  RunCommand(std::string(TARVO_CLI_PATH) + " pgn import-iccs " + part + " " + folder + " 2>&1", &exitCode);
  ASSERT_EQ(exitCode, 0);
}

BookNode Node(uint64_t lock, int weight, int piece, int row, int col) {
  BookNode node;
  node.LockLo = static_cast<uint32_t>(lock);
  node.LockHi = static_cast<int32_t>(lock >> 32);
  node.Weight = weight;
  node.Piece = piece;
  node.ToRow = row;
  node.ToCol = col;
  return node;
}

bool SameNodes(const std::vector<BookNode>& a, const std::vector<BookNode>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].LockLo != b[i].LockLo || a[i].LockHi != b[i].LockHi || a[i].Weight != b[i].Weight ||
        a[i].Piece != b[i].Piece || a[i].ToRow != b[i].ToRow || a[i].ToCol != b[i].ToCol)
      return false;
  return true;
}

class BookBuilderTest : public testing::Test {
 protected:
  BookBuilderTest() {
    BuildMoveTables();
    BuildNotationMaps();
    Game = std::make_unique<CGame>(&NoVoice);
    Game->HumanVsHuman = 1;
  }

  COpeningBook& Book() { return Game->Engine.Book; }
  CBookBuilder& Builder() {
    if (!BuilderOfGame) BuilderOfGame = std::make_unique<CBookBuilder>(Book());
    return *BuilderOfGame;
  }
  std::unique_ptr<CBookBuilder> BuilderOfGame;
  std::string Folder(const std::string& name) {
    const std::string path = Home.Path() + name + "/";
    std::filesystem::create_directories(path);
    return path;
  }
  // Plays ICCS moves from the start position and saves the game with its result.
  void SaveGame(const std::string& path, const std::vector<std::string>& moves, const std::string& result) {
    ASSERT_EQ(Game->NewGame(InitialBoard.data(), 1), 1);
    for (const std::string& text : moves) {
      CMove move;
      ASSERT_EQ(MoveFromIccs(Game->Position(), text, move), 1) << text;
      ASSERT_EQ(Game->PlayMove(move, 0), 1) << text;
    }
    Game->Result = result;
    ASSERT_EQ(Game->SavePgn(path), 1);
  }
  // The nodes of the lock of the position after the ICCS moves, in book order.
  std::vector<BookNode> NodesAfter(const std::vector<std::string>& moves) {
    CPosition position;
    for (const std::string& text : moves) {
      CMove move;
      EXPECT_EQ(MoveFromIccs(position, text, move), 1);
      position.MakeMove(move);
    }
    const uint64_t lock = Game->Engine.TransTable.LockOf(position);
    std::vector<BookNode> found;
    for (const BookNode& node : Book().Nodes)
      if (node.LockLo == static_cast<uint32_t>(lock) && node.LockHi == static_cast<int32_t>(lock >> 32))
        found.push_back(node);
    return found;
  }

  ScopedTarvoHome Home;
  std::unique_ptr<CGame> Game;
};

TEST_F(BookBuilderTest, SingleRedWinGivesFourImagesWithTheSidesWeightsAndCullBadRemovesThem) {
  const std::string games = Folder("games");
  SaveGame(games + "win.pgn", {"h2e2", "h9g7", "h0g2"}, "1-0");
  ASSERT_EQ(Builder().LoadDIR(*Game, games, INT32_MIN, 3, 1, -1), 1);

  // The start position stands for itself turned round, so all four images of
  // red's first move meet there: red's cannon to the centre and its mirror
  // with red's weight, black's two cannons to the centre with black's.
  const std::vector<BookNode> start = NodesAfter({});
  ASSERT_EQ(start.size(), 4u);
  const int expected[4][4] = {{3, 3, 10, 7}, {3, 4, 10, 7}, {-1, 19, 5, 7}, {-1, 20, 5, 7}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(start[i].Weight, expected[i][0]) << i;
    EXPECT_EQ(start[i].Piece, expected[i][1]) << i;
    EXPECT_EQ(start[i].ToRow, expected[i][2]) << i;
    EXPECT_EQ(start[i].ToCol, expected[i][3]) << i;
  }
  // Black's reply: -1 for the loser in its own position, 3 once turned round
  // (red's horse of the turned board).
  const std::vector<BookNode> reply = NodesAfter({"h2e2"});
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(reply[0].Weight, -1);
  EXPECT_EQ(reply[0].Piece, 22);
  const std::vector<BookNode> turnedReply = NodesAfter({"b7e7"});
  ASSERT_EQ(turnedReply.size(), 1u);
  EXPECT_EQ(turnedReply[0].Weight, 3);
  EXPECT_EQ(turnedReply[0].Piece, 6);
  EXPECT_EQ(Book().Nodes.size(), 12u);  // three moves, four images each, no two alike

  // With the usual MinWeight of 4 nothing of a single game survives, and a
  // book without nodes is refused rather than written.
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 4, 3, 1, -1), 0);
  EXPECT_EQ(Builder().Error.Setting, "MinWeight");
  EXPECT_TRUE(Book().Nodes.empty());
  EXPECT_NE(ReadText(CBookBuilder::LogPath())
                .find("   BookNodeCount=0000000; MinWeight=536870912; MaxWeight=-536870912; ElapsedTime=0000000\n"),
            std::string::npos);
}

TEST_F(BookBuilderTest, WeightsAccumulateAndSaturate) {
  const std::string games = Folder("games");
  SaveGame(games + "a.pgn", {"h2e2", "h9g7"}, "1-0");
  SaveGame(games + "b.pgn", {"h2e2", "b9c7"}, "1-0");
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 4, 3, 1, -1), 1);
  // Red's opening move and its mirror, six each; black's replies lost twice.
  ASSERT_EQ(Book().Nodes.size(), 2u);
  EXPECT_EQ(Book().Nodes[0].Weight, 6);
  EXPECT_EQ(Book().Nodes[1].Weight, 6);
  EXPECT_EQ(Builder().CulledMinWeight, 6);
  EXPECT_EQ(Builder().CulledMaxWeight, 6);

  // Sums beyond the 32-bit range stop at its ends, the same on both paths.
  COpeningBook& book = Book();
  book.Nodes.clear();
  book.AddNode(Node(7, 2000000000, 1, 5, 3));
  book.AddNode(Node(7, 2000000000, 1, 5, 3));
  book.AddNode(Node(9, -2000000000, 1, 5, 3));
  book.AddNode(Node(9, -2000000000, 1, 5, 3));
  CBookGatherer gatherer;
  for (const BookNode& node : {Node(7, 2000000000, 1, 5, 3), Node(7, 2000000000, 1, 5, 3)}) gatherer.Add(node);
  std::vector<BookNode> gathered;
  gatherer.LayOut(gathered);
  ASSERT_EQ(book.Nodes.size(), 2u);
  EXPECT_EQ(book.Nodes[0].Weight, INT32_MIN);
  EXPECT_EQ(book.Nodes[1].Weight, INT32_MAX);
  ASSERT_EQ(gathered.size(), 1u);
  EXPECT_EQ(gathered[0].Weight, INT32_MAX);
  EXPECT_EQ(AddWeights(INT32_MAX, -1), INT32_MAX - 1);
}

// Files that are no whole game are skipped and named wherever the walk
// meets them; a folder that holds nothing else is refused and the book file
// stays as it was.
TEST_F(BookBuilderTest, FilesThatAreNoWholeGameAreSkippedAndNamed) {
  const std::string kept = "MinWeight =4\nWonWeight =3\nDrawWeight=1\nLossWeight=-1\n\nBookNodeCount=0\n\n\n";
  std::filesystem::create_directories(Home.Path() + "book");
  ASSERT_EQ(WriteFileAtomically(COpeningBook::DefaultPath(), kept), 1);
  const std::string twoGames = ReadText(TestDataPath("games/game01.pgn")) + "\n" + ReadText(TestDataPath("games/game02.pgn"));
  const struct {
    const char* Name;
    std::string Text;
  } bad[] = {
      {"0first.pgn", "[FEN \"not a position\"]\n1. 炮二平五\n"},
      {"m/middle.pgn", "[Event \"x\"]\n1. h2e2 h9g7 2. zz\n"},
      {"notes.txt", "remember to buy milk\n"},
      {"two.pgn", twoGames},
      {"eval000.ann", "ThreadCount=1;\nAlpha=1.000000e-02;\n"},
  };
  for (const auto& c : bad) {
    const std::string games = Folder(std::string("games_") + std::to_string(&c - bad));
    std::filesystem::create_directories(games + "m");
    SaveGame(games + "a.pgn", {"h2e2", "h9g7"}, "1-0");
    SaveGame(games + "m/b.pgn", {"h2e2", "h9g7"}, "1-0");
    SaveGame(games + "y.pgn", {"h2e2", "h9g7"}, "1-0");
    const std::string path = games + c.Name;
    ASSERT_EQ(WriteFileAtomically(path, c.Text), 1);
    ASSERT_EQ(Builder().LoadDIR(*Game, games, 4, 3, 1, -1), 1) << c.Name << Builder().BuildError;
    EXPECT_EQ(Builder().LoadedCount, 3) << c.Name;
    ASSERT_EQ(Builder().SkippedFiles.size(), 1u) << c.Name;
    EXPECT_EQ(Builder().SkippedFiles[0].rfind(path + ": ", 0), 0u) << Builder().SkippedFiles[0];
    EXPECT_NE(ReadText(CBookBuilder::LogPath()).find("      Load " + path + " failed.\n"), std::string::npos);

    const std::string onlyBad = Folder(std::string("only_") + std::to_string(&c - bad));
    ASSERT_EQ(WriteFileAtomically(onlyBad + "x", c.Text), 1);
    EXPECT_EQ(Builder().LoadDIR(*Game, onlyBad, 1, 3, 1, -1), 0) << c.Name;
    EXPECT_EQ(Builder().Error.Fault, CJobFault::NoInput);
  }
  std::filesystem::remove(COpeningBook::DefaultPath());
  ASSERT_EQ(WriteFileAtomically(COpeningBook::DefaultPath(), kept), 1);
  EXPECT_EQ(Builder().LoadDIR(*Game, Home.Path() + "no_such_folder", 4, 3, 1, -1), 0);
  EXPECT_NE(Builder().BuildError.find("no_such_folder"), std::string::npos);
  EXPECT_EQ(ReadText(COpeningBook::DefaultPath()), kept);
}

TEST_F(BookBuilderTest, LogHasEveryStepAndACounterLineEveryTenGamesAndAtTheEnd) {
  const std::string games = Folder("games");
  ImportIccsGames(games, 25);
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 4, 3, 1, -1), 1);
  const std::string log = ReadText(CBookBuilder::LogPath());
  std::istringstream lines(log);
  std::vector<std::string> shapes;
  for (std::string line; std::getline(lines, line);) {
    // Digits vary with the data; the layout must not.
    for (char& c : line)
      if (c >= '0' && c <= '9') c = '9';
    shapes.push_back(line);
  }
  const std::vector<std::string> expected = {
      "Running LoadDIR().",
      "   LoadedCount=9999999; BookNodeCount=9999999; ElapsedTime=9999999",
      "   LoadedCount=9999999; BookNodeCount=9999999; ElapsedTime=9999999",
      "   LoadedCount=9999999; BookNodeCount=9999999; ElapsedTime=9999999",
      "Running CullBad().",
      "   BookNodeCount=9999999; MinWeight=9999999; MaxWeight=9999999; ElapsedTime=9999999",
      "Running Save().",
  };
  EXPECT_EQ(shapes, expected) << log;
  EXPECT_NE(log.find("   LoadedCount=0000010; "), std::string::npos);
  EXPECT_NE(log.find("   LoadedCount=0000020; "), std::string::npos);
  EXPECT_NE(log.find("   LoadedCount=0000025; "), std::string::npos) << log;
  // The book on disk is the culled one, and the game is back at the start.
  COpeningBook saved;
  EXPECT_TRUE(SameNodes(saved.Nodes, Book().Nodes));
  EXPECT_EQ(Game->Record().Current, -1);
  EXPECT_EQ(Game->Position().Fen(1), CPosition().Fen(1));
}

TEST_F(BookBuilderTest, StopRequestEndsTheWalkAndTheBookSoFarIsCulledAndSaved) {
  const std::string games = Folder("games");
  ImportIccsGames(games, 12);
  Builder().OnGameLoaded = [this](long long loaded, size_t, const std::string&) {
    if (loaded == 5) Builder().Stop = 1;
  };
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 2, 3, 1, -1), 1);
  EXPECT_EQ(Builder().LoadedCount, 5);
  EXPECT_NE(ReadText(CBookBuilder::LogPath()).find("   LoadedCount=0000005; "), std::string::npos);
  COpeningBook saved;
  EXPECT_FALSE(saved.Nodes.empty());
  EXPECT_TRUE(SameNodes(saved.Nodes, Book().Nodes));
  EXPECT_EQ(saved.MinWeight, 2);
  EXPECT_EQ(Builder().Stop, 1);
}

// Links to ".", to an enclosing folder and to a sibling: each real folder is
// walked once, so the one game is read once.
TEST_F(BookBuilderTest, EachRealFolderIsWalkedOnceWhateverLinksLeadToIt) {
  const std::string games = Folder("games");
  std::filesystem::create_directories(games + "a");
  SaveGame(games + "a/1.pgn", {"h2e2"}, "*");
  std::filesystem::create_directory_symlink(games, games + "a/loop");
  std::filesystem::create_directory_symlink(".", games + "a/self");
  std::filesystem::create_directory_symlink(".", games + "dot1");
  std::filesystem::create_directory_symlink(".", games + "dot2");
  std::filesystem::create_directory_symlink(games + "a", games + "b");
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 1, 3, 1, -1), 1);
  EXPECT_EQ(Builder().LoadedCount, 1);
}

TEST_F(BookBuilderTest, BookThatCannotBeWrittenFailsTheBuild) {
  const std::string games = Folder("games");
  SaveGame(games + "a.pgn", {"h2e2"}, "*");
  std::filesystem::create_directories(COpeningBook::DefaultPath());  // a folder where the file goes
  EXPECT_EQ(Builder().LoadDIR(*Game, games, 1, 3, 1, -1), 0);
  EXPECT_NE(Builder().BuildError.find("book/book.tab"), std::string::npos) << Builder().BuildError;
  EXPECT_EQ(Builder().Stop, 1);
}

uint32_t g_FakeTick = 0;
uint32_t FakeTick() { return g_FakeTick; }

TEST_F(BookBuilderTest, SevenDayLimitIsTestedAsEachFolderIsEntered) {
  const std::string games = Folder("games");
  std::filesystem::create_directories(games + "a");
  std::filesystem::create_directories(games + "b");
  SaveGame(games + "a/1.pgn", {"h2e2"}, "*");
  SaveGame(games + "a/2.pgn", {"h2e2"}, "*");
  SaveGame(games + "b/3.pgn", {"h2e2"}, "*");
  g_FakeTick = 1000;
  Builder().BuildClock = &FakeTick;
  Builder().OnGameLoaded = [](long long, size_t, const std::string&) { g_FakeTick = 1000 + 604800u * 1000u; };
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 1, 3, 1, -1), 1);
  EXPECT_EQ(Builder().LoadedCount, 3);  // exactly seven days is not past the limit

  Builder().OnGameLoaded = [](long long, size_t, const std::string&) { g_FakeTick = 1000 + 604801u * 1000u; };
  g_FakeTick = 1000;
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 1, 3, 1, -1), 1);
  EXPECT_EQ(Builder().LoadedCount, 2);  // a/ is finished, b/ is never entered
  EXPECT_NE(ReadText(CBookBuilder::LogPath()).find("ElapsedTime=0604801\n"), std::string::npos);
}

// The gathered table against AddNode one node at a time, over real games.
void ExpectSameTableBothWays(CGame& game, const std::string& games) {
  COpeningBook& book = game.Engine.Book;
  CBookBuilder builder(book);
  builder.InsertEachNode = true;
  ASSERT_EQ(builder.LoadDIR(game, games, INT32_MIN, 3, 1, -1), 1);
  const std::vector<BookNode> reference = book.Nodes;
  builder.InsertEachNode = false;
  ASSERT_EQ(builder.LoadDIR(game, games, INT32_MIN, 3, 1, -1), 1);
  EXPECT_GT(reference.size(), 1000u);
  EXPECT_TRUE(SameNodes(book.Nodes, reference));
}

TEST_F(BookBuilderTest, GatheredTableEqualsNodeByNodeInsertionOverRealGames) {
  const std::string games = Folder("games");
  ImportIccsGames(games, 60);
  // Results vary the weights: give every third game to red, every third to black.
  int i = 0;
  for (const auto& entry : std::filesystem::directory_iterator(games)) {
    ASSERT_EQ(Game->LoadPgn(entry.path().string()), 1);
    Game->Result = i % 3 == 0 ? "1-0" : i % 3 == 1 ? "0-1" : "1/2-1/2";
    ASSERT_EQ(Game->SavePgn(entry.path().string()), 1);
    ++i;
  }
  ExpectSameTableBothWays(*Game, games);
}

TEST_F(BookBuilderTest, SlowGatheredTableEqualsNodeByNodeInsertionOverAllMasterGames) {
  const std::string games = Folder("games");
  ImportIccsGames(games, 1125);
  ExpectSameTableBothWays(*Game, games);
}

// A book built from saved game files (which carry a FEN tag) must name the
// pieces a new game names: its moves apply after 新建 and after a FEN.
TEST_F(BookBuilderTest, BookFromSavedGamesAnswersInANewGameAndAfterTheStartFen) {
  const std::string games = Folder("games");
  SaveGame(games + "a.pgn", {"h2e2", "h9g7", "h0g2", "i9h9"}, "1/2-1/2");
  SaveGame(games + "b.pgn", {"h2e2", "h9g7", "h0g2", "i9h9"}, "1/2-1/2");
  ASSERT_EQ(Builder().LoadDIR(*Game, games, 4, 3, 3, -1), 1);  // 6 for every move

  auto player = std::make_unique<CGame>(&NoVoice);  // loads the book from its file
  player->HumanVsHuman = 1;
  ASSERT_FALSE(player->Engine.Book.Nodes.empty());
  CSearchEngine& engine = player->Engine;

  ASSERT_EQ(player->NewGame(InitialBoard.data(), 1), 1);
  for (const char* text : {"h2e2", "h9g7"}) {
    CMove move;
    ASSERT_EQ(MoveFromIccs(player->Position(), text, move), 1);
    ASSERT_EQ(player->PlayMove(move, 0), 1);
  }
  ASSERT_EQ(engine.FindBestMove(1, 1), 1);
  EXPECT_EQ(engine.IterDepth, -1);  // from the book, not searched
  EXPECT_EQ(MoveToIccs(engine.BestMove), "h0g2");

  int redToMove = 1;
  std::string error;
  ASSERT_EQ(LoadEnginePosition(engine, CPosition().Fen(1), redToMove, error), 1) << error;
  ASSERT_EQ(engine.FindBestMove(redToMove, 1), 1);
  EXPECT_EQ(engine.IterDepth, -1);
  const std::string first = MoveToIccs(engine.BestMove);  // a random pick at the start
  EXPECT_TRUE(first == "h2e2" || first == "b2e2") << first;
  for (const char* text : {"h2e2", "h9g7", "h0g2"}) ASSERT_EQ(PlayEngineMove(engine, redToMove, text, error), 1);
  ASSERT_EQ(engine.FindBestMove(redToMove, 1), 1);
  EXPECT_EQ(engine.IterDepth, -1);
  EXPECT_EQ(MoveToIccs(engine.BestMove), "i9h9");
}

// The result decides each side's weight: red's first move and its mirror take
// red's weight, the turned-round images black's, and black's reply the
// other way round. Won 3, draw 1, lost -1, all kept.
TEST_F(BookBuilderTest, EachResultGivesEachSideItsWeight) {
  struct Case {
    const char* Result;
    int Red, Black;
  };
  const Case cases[] = {{"1-0", 3, -1}, {"0-1", -1, 3}, {"1/2-1/2", 1, 1}, {"*", 1, 1}};
  int number = 0;
  for (const Case& c : cases) {
    const std::string games = Folder("games" + std::to_string(++number));
    SaveGame(games + "game.pgn", {"h2e2", "h9g7"}, c.Result);
    ASSERT_EQ(Builder().LoadDIR(*Game, games, INT32_MIN, 3, 1, -1), 1) << c.Result;
    const std::vector<BookNode> start = NodesAfter({});
    ASSERT_EQ(start.size(), 4u) << c.Result;
    const int expected[4][2] = {{c.Red, 3}, {c.Red, 4}, {c.Black, 19}, {c.Black, 20}};  // weight, piece
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(start[i].Weight, expected[i][0]) << c.Result << " " << i;
      EXPECT_EQ(start[i].Piece, expected[i][1]) << c.Result << " " << i;
    }
    const std::vector<BookNode> reply = NodesAfter({"h2e2"}), turnedReply = NodesAfter({"b7e7"});
    ASSERT_EQ(reply.size(), 1u);
    ASSERT_EQ(turnedReply.size(), 1u);
    EXPECT_EQ(reply[0].Weight, c.Black) << c.Result;
    EXPECT_EQ(turnedReply[0].Weight, c.Red) << c.Result;
  }
}

// CullBad keeps a node of exactly MinWeight, and its log names the smallest
// and largest weight kept, wherever they stand in the book.
TEST_F(BookBuilderTest, CullBadKeepsNodesAtMinWeightAndLogsTheExtremesKept) {
  COpeningBook& book = Book();
  book.Nodes = {Node(9, 6, 1, 5, 3), Node(8, 4, 1, 5, 3), Node(7, 3, 1, 5, 3), Node(6, 5, 1, 5, 3)};
  book.MinWeight = 4;
  g_FakeTick = 5000;
  Builder().BuildClock = &FakeTick;
  ASSERT_EQ(Builder().CullBad(5000), 1);
  ASSERT_EQ(book.Nodes.size(), 3u);
  EXPECT_EQ(book.Nodes[1].Weight, 4);
  EXPECT_EQ(Builder().CulledMinWeight, 4);
  EXPECT_EQ(Builder().CulledMaxWeight, 6);
  EXPECT_EQ(ReadText(CBookBuilder::LogPath()),
            "   BookNodeCount=0000003; MinWeight=0000004; MaxWeight=0000006; ElapsedTime=0000000\n");
}

// Locks that share their high half go by the low half, descending as
// unsigned: so AddNode keeps them, so the gatherer lays them out, and so the
// file is written.
TEST_F(BookBuilderTest, LocksSharingTheirHighHalfAreInLockOrderOnBothPathsAndOnDisk) {
  const uint64_t added[] = {0x0000000500000001, 0x0000000580000000, 0xFFFFFFFF00000007, 0x0000000500000002,
                            0x8000000000000000};
  // High halves as signed: 5, 5, 5, then -1, then INT32_MIN; the three 5s by
  // low half 0x80000000, 2, 1.
  const uint64_t expected[] = {0x0000000580000000, 0x0000000500000002, 0x0000000500000001, 0xFFFFFFFF00000007,
                               0x8000000000000000};
  COpeningBook& book = Book();
  book.Nodes.clear();
  CBookGatherer gatherer;
  for (const uint64_t lock : added) {
    book.AddNode(Node(lock, 1, 1, 5, 3));
    gatherer.Add(Node(lock, 1, 1, 5, 3));
  }
  std::vector<BookNode> gathered;
  gatherer.LayOut(gathered);
  ASSERT_EQ(book.Save(), 1);
  const COpeningBook saved;
  const std::vector<BookNode>* tables[] = {&book.Nodes, &gathered, &saved.Nodes};
  for (const std::vector<BookNode>* nodes : tables) {
    ASSERT_EQ(nodes->size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
      const BookNode& node = (*nodes)[i];
      EXPECT_EQ(uint64_t {static_cast<uint32_t>(node.LockHi)} << 32 | node.LockLo, expected[i]) << i;
    }
  }
}

}  // namespace
