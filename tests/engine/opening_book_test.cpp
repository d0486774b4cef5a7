#include "engine/opening_book.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <tuple>

#include "common/file_util.h"
#include "common/random.h"
#include "test_support.h"

namespace {

BookNode Node(uint32_t lockLo, int32_t lockHi, int weight, int piece, int toRow, int toCol) {
  BookNode node;
  node.LockLo = lockLo;
  node.LockHi = lockHi;
  node.Weight = weight;
  node.Piece = piece;
  node.ToRow = toRow;
  node.ToCol = toCol;
  return node;
}

bool InBookOrder(const std::vector<BookNode>& nodes) {
  for (size_t i = 1; i < nodes.size(); ++i) {
    const BookNode& a = nodes[i - 1];
    const BookNode& b = nodes[i];
    if (a.LockHi < b.LockHi || (a.LockHi == b.LockHi && a.LockLo < b.LockLo)) return false;
  }
  return true;
}

struct OpeningBookTest : ::testing::Test {
  ScopedTarvoHome Home;
  COpeningBook Book;  // no file yet: empty

  int LookupMove(uint32_t lo, int32_t hi, int red, int random, std::tuple<int, int, int>& move) {
    int piece = 0, row = 0, col = 0;
    const int found = Book.Lookup(lo, hi, red, random, piece, row, col);
    move = {piece, row, col};
    return found;
  }
  std::string WriteBook(const std::string& text) {
    const std::string path = Home.Path() + "book.tab";
    EXPECT_EQ(WriteFileAtomically(path, text), 1);
    return path;
  }
};

TEST_F(OpeningBookTest, StartsEmptyWithDefaultWeights) {
  EXPECT_TRUE(Book.Nodes.empty());
  EXPECT_EQ(Book.MinWeight, 4);
  EXPECT_EQ(Book.WonWeight, 3);
  EXPECT_EQ(Book.DrawWeight, 1);
  EXPECT_EQ(Book.LossWeight, -1);
  std::tuple<int, int, int> move;
  EXPECT_EQ(LookupMove(1, 1, 1, 0, move), 0);
}

TEST_F(OpeningBookTest, SameMoveAddsWeightOtherMoveFollowsItsLock) {
  Book.AddNode(Node(5, 1, 3, 3, 10, 7));
  Book.AddNode(Node(5, 1, 3, 3, 10, 7));
  ASSERT_EQ(Book.Nodes.size(), 1u);
  EXPECT_EQ(Book.Nodes[0].Weight, 6);

  Book.AddNode(Node(9, 1, 1, 1, 11, 11));  // larger lock: goes first
  Book.AddNode(Node(5, 1, 2, 5, 10, 5));   // same lock, new move: after the last of that lock
  Book.AddNode(Node(5, 1, 4, 5, 10, 5));
  ASSERT_EQ(Book.Nodes.size(), 3u);
  EXPECT_EQ(Book.Nodes[0].LockLo, 9u);
  EXPECT_EQ(Book.Nodes[1].Piece, 3);
  EXPECT_EQ(Book.Nodes[2].Piece, 5);
  EXPECT_EQ(Book.Nodes[2].Weight, 6);
}

TEST_F(OpeningBookTest, RandomInsertsKeepTheOrderAndTheWeights) {
  SeedRandomWith(99);
  std::map<std::tuple<int32_t, uint32_t, int, int, int>, int> expected;
  for (int i = 0; i < 3000; ++i) {
    // Few locks, signed and unsigned extremes included, and few moves, so nodes repeat.
    const int32_t hi = (Rand15() % 5 - 2) * 1000000000;
    const uint32_t lo = static_cast<uint32_t>(Rand15() % 4) * 0x50000000u;
    const BookNode node = Node(lo, hi, Rand15() % 7 - 1, 1 + Rand15() % 3, 8, 3 + Rand15() % 2);
    Book.AddNode(node);
    expected[{hi, lo, node.Piece, node.ToRow, node.ToCol}] += node.Weight;
  }
  EXPECT_TRUE(InBookOrder(Book.Nodes));
  std::map<std::tuple<int32_t, uint32_t, int, int, int>, int> actual;
  for (const BookNode& n : Book.Nodes) {
    const auto key = std::make_tuple(n.LockHi, n.LockLo, n.Piece, n.ToRow, n.ToCol);
    EXPECT_EQ(actual.count(key), 0u) << "one node per lock and move";
    actual[key] = n.Weight;
  }
  EXPECT_EQ(actual, expected);
}

TEST_F(OpeningBookTest, LookupPrefersWeightThenTheNodeFoundFirst) {
  // Three nodes of one lock: the binary search meets the middle one first,
  // then collects backwards, then forwards.
  Book.Nodes = {Node(7, 0, 5, 1, 8, 3), Node(7, 0, 5, 3, 8, 4), Node(7, 0, 5, 5, 8, 5)};
  std::tuple<int, int, int> move;
  ASSERT_EQ(LookupMove(7, 0, 1, 0, move), 1);
  EXPECT_EQ(move, std::make_tuple(3, 8, 4));
  Book.Nodes[0].Weight = 6;
  ASSERT_EQ(LookupMove(7, 0, 1, 0, move), 1);
  EXPECT_EQ(move, std::make_tuple(1, 8, 3));
  Book.Nodes[2].Weight = 6;  // ties with the backward one, which is collected first
  ASSERT_EQ(LookupMove(7, 0, 1, 0, move), 1);
  EXPECT_EQ(move, std::make_tuple(1, 8, 3));
  EXPECT_EQ(LookupMove(8, 0, 1, 0, move), 0);
  EXPECT_EQ(LookupMove(7, 1, 1, 0, move), 0);
}

TEST_F(OpeningBookTest, OnlyTheSideToMoveIsAnswered) {
  Book.AddNode(Node(42, -3, 100, 17, 4, 3));  // black chariot, heavy
  Book.AddNode(Node(42, -3, 1, 16, 11, 7));   // red king
  std::tuple<int, int, int> move;
  for (int random : {0, 1}) {
    ASSERT_EQ(LookupMove(42, -3, 1, random, move), 1);
    EXPECT_EQ(move, std::make_tuple(16, 11, 7));
    ASSERT_EQ(LookupMove(42, -3, 0, random, move), 1);
    EXPECT_EQ(move, std::make_tuple(17, 4, 3));
  }
  Book.Nodes.erase(Book.Nodes.begin() + 1);
  Book.Nodes[0].Piece = 17;
  EXPECT_EQ(LookupMove(42, -3, 1, 0, move), 0);
}

TEST_F(OpeningBookTest, RandomIndexSpreadsDrawsOverTheCandidates) {
  EXPECT_EQ(COpeningBook::RandomIndex(-5, 3), 0);
  EXPECT_EQ(COpeningBook::RandomIndex(INT32_MIN, 3), 0);
  EXPECT_EQ(COpeningBook::RandomIndex(0, 3), 0);
  EXPECT_EQ(COpeningBook::RandomIndex(1 << 30, 2), 1);
  EXPECT_EQ(COpeningBook::RandomIndex((1 << 30) - 1, 2), 0);
  EXPECT_EQ(COpeningBook::RandomIndex(INT32_MAX, 3), 2);
  EXPECT_EQ(COpeningBook::RandomIndex(INT32_MAX, 1), 0);

  SeedRandomWith(2024);
  int hits[5] = {};
  for (int i = 0; i < 4000; ++i) ++hits[COpeningBook::RandomIndex(static_cast<int32_t>(Random32()), 5)];
  for (int i = 1; i < 5; ++i) EXPECT_GT(hits[i], 200) << i;
  EXPECT_GT(hits[0], 1600);  // every negative draw picks the first candidate
}

TEST_F(OpeningBookTest, RandomLookupReturnsBookMovesOnly) {
  Book.AddNode(Node(1, 1, 1, 2, 8, 3));
  std::tuple<int, int, int> move;
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(LookupMove(1, 1, 1, 1, move), 1);
    EXPECT_EQ(move, std::make_tuple(2, 8, 3));
  }
  // Two candidates: every pick is seeded anew, even within one clock tick,
  // so both come up (the chance that 300 picks miss one is 2^-299).
  Book.AddNode(Node(1, 1, 1, 4, 10, 7));
  std::set<int> seen;
  for (int i = 0; i < 300 && seen.size() < 2; ++i) {
    ASSERT_EQ(LookupMove(1, 1, 1, 1, move), 1);
    seen.insert(std::get<0>(move));
  }
  EXPECT_EQ(seen, (std::set<int> {2, 4}));
}

TEST_F(OpeningBookTest, FileHasTheExactLayoutAndReadsBack) {
  Book.WonWeight = 5;
  Book.AddNode(Node(0x80000001u, 12, 7, 3, 10, 7));
  Book.AddNode(Node(4, -1, -2, 21, 5, 5));
  ASSERT_EQ(Book.Save(), 1);  // creates the book folder
  std::string text;
  ASSERT_EQ(ReadWholeFile(Home.Path() + "book/book.tab", text), 1);
  EXPECT_EQ(text,
            "MinWeight =4\nWonWeight =5\nDrawWeight=1\nLossWeight=-1\n"
            "\nBookNodeCount=2\n\n"
            "-2147483647;12;7;3;10;7;4;-1;-2;21;5;5;\n");

  COpeningBook loaded;  // the constructor reads the default file
  EXPECT_EQ(loaded.LoadWarning, "");
  EXPECT_EQ(loaded.WonWeight, 5);
  ASSERT_EQ(loaded.Nodes.size(), 2u);
  EXPECT_EQ(loaded.Nodes[0].LockLo, 0x80000001u);
  EXPECT_EQ(loaded.Nodes[1].Weight, -2);
  int piece = 0, row = 0, col = 0;
  EXPECT_EQ(loaded.Lookup(4, -1, 0, 0, piece, row, col), 1);
  EXPECT_EQ(piece, 21);

  EXPECT_EQ(loaded.Load(Home.Path() + "missing.tab"), 0);
  EXPECT_EQ(loaded.Nodes.size(), 2u);  // unchanged
  EXPECT_EQ(Book.Save(Home.Path() + "no/such/folder/book.tab"), 0);
}

TEST_F(OpeningBookTest, DamagedFilesLoadWhatIsSound) {
  const std::string header = "MinWeight =4\nWonWeight =3\nDrawWeight=1\nLossWeight=-1\n\nBookNodeCount=";
  const std::string records = "9;0;1;1;8;3;8;0;1;2;8;4;7;0;1;3;8;5;";
  struct Case {
    std::string text;
    size_t nodes;
    std::string warning;
  } cases[] = {
      {header + "3\n\n" + records + "\n", 3, ""},
      {header + "3\n\n9;0;1;1;8;3;8;0;x;2;8;4;7;0;1;3;8;5;\n", 2, "book.tab: 1 of 3 records damaged, dropped"},
      {header + "3\n\n9;0;1;1;8;3;8;0;1;2;8;4;7;0;1;3", 2, "book.tab: 1 of 3 records damaged, dropped"},
      {header + "3\n\n9;0;1;1;8;3;8;0;1;2;8;4;7", 2, "book.tab: 1 of 3 records damaged, dropped"},
      {header + "120\n\n" + records + "\n", 3, "book.tab: BookNodeCount=120 but 3 records present"},
      {header + "-5\n\n" + records + "\n", 3, "book.tab: BookNodeCount damaged"},
      {header + "3\n\n9;0;1;99;8;3;8;0;1;2;8;40;7;0;1;3;8;5;\n", 1, "book.tab: 2 of 3 records damaged, dropped"},
      {header + "2\n\n7;0;1;1;8;3;8;0;1;2;8;4;\n", 2, "book.tab: records out of order, lookups may miss"},
      {"\x01\x02 garbage; not a book\n", 0, "book.tab: weight lines damaged, defaults kept; no BookNodeCount line, "
                                           "no records read"},
      {"", 0, "book.tab: weight lines damaged, defaults kept; no BookNodeCount line, no records read"},
  };
  for (const Case& c : cases) {
    Book.AddNode(Node(1, 1, 1, 1, 8, 3));
    Book.MinWeight = 77;
    ASSERT_EQ(Book.Load(WriteBook(c.text)), 1) << c.text;
    EXPECT_EQ(Book.Nodes.size(), c.nodes) << c.text;
    EXPECT_EQ(Book.LoadWarning, c.warning) << c.text;
    EXPECT_EQ(Book.MinWeight, 4);
    for (const BookNode& n : Book.Nodes) {
      EXPECT_TRUE(n.Piece >= 1 && n.Piece <= 32);
      EXPECT_TRUE(n.ToRow >= 3 && n.ToRow <= 12 && n.ToCol >= 3 && n.ToCol <= 11);
    }
  }
}

}  // namespace
