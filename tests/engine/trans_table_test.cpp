#include "engine/trans_table.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <vector>

#include "common/file_util.h"
#include "rules/iccs.h"
#include "rules/pieces.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// The key file as its records, each three numbers.
std::vector<std::vector<int>> ReadKeyRecords(const std::string& path) {
  std::string text;
  EXPECT_EQ(ReadWholeFile(path, text), 1);
  std::vector<int> numbers;
  std::stringstream stream(text);
  std::string field;
  while (std::getline(stream, field, ';')) numbers.push_back(std::stoi(field));
  std::vector<std::vector<int>> records;
  for (size_t i = 0; i + 2 < numbers.size(); i += 3) records.push_back({numbers[i], numbers[i + 1], numbers[i + 2]});
  return records;
}

// Records of one identity: 90 in a row, ordered by row then column.
std::vector<std::vector<int>> RecordsOf(const std::vector<std::vector<int>>& all, int id) {
  return {all.begin() + (id - 1) * 90, all.begin() + id * 90};
}

int DamagedCopies(const std::string& folder) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().rfind("rand.has.damaged-", 0) == 0) ++count;
  return count;
}

struct TransTableTest : ::testing::Test {
  ScopedTarvoHome Home;
  std::unique_ptr<CTransTable> Table = std::make_unique<CTransTable>();
};

TEST_F(TransTableTest, SizeIsRoundedDownToAPowerOfTwo) {
  ASSERT_EQ(Table->Setup(1000000), 1);
  EXPECT_EQ(Table->Count, 524288);
  EXPECT_EQ(Table->Mask, 524287);
  ASSERT_EQ(Table->Setup(1048576), 1);
  EXPECT_EQ(Table->Count, 1048576);
  for (int n : {0, 1}) {
    ASSERT_EQ(Table->Setup(n), 1);
    EXPECT_EQ(Table->Count, 1);
    EXPECT_EQ(Table->Mask, 0);
    EXPECT_TRUE(Table->HasTables());
  }
}

TEST_F(TransTableTest, NewKeyFileHas2880RecordsAndLikePiecesShareKeys) {
  ASSERT_EQ(Table->Setup(16), 1);
  const auto records = ReadKeyRecords(CTransTable::KeyFilePath());
  ASSERT_EQ(records.size(), 2880u);
  EXPECT_EQ(RecordsOf(records, 1), RecordsOf(records, 2));  // red chariots
  for (int pawn = 12; pawn <= 15; ++pawn) EXPECT_EQ(RecordsOf(records, 11), RecordsOf(records, pawn));
  EXPECT_NE(RecordsOf(records, 1), RecordsOf(records, 17));  // black chariots have their own
  EXPECT_NE(RecordsOf(records, 1), RecordsOf(records, 3));
  // File order: identity, row, column; lock as low then high half.
  const int sq = SquareOf(7, 5);
  const auto& record = records[(21 - 1) * 90 + (7 - 3) * 9 + (5 - 3)];
  EXPECT_EQ(static_cast<uint32_t>(record[0]), Table->KeyTable[21][sq]);
  EXPECT_EQ(static_cast<uint32_t>(record[1]), static_cast<uint32_t>(Table->LockTable[21][sq]));
  EXPECT_EQ(static_cast<uint32_t>(record[2]), static_cast<uint32_t>(Table->LockTable[21][sq] >> 32));
  EXPECT_EQ(Table->KeyTable[33][sq], 0u);
  EXPECT_EQ(Table->KeyTable[1][SquareOf(2, 5)], 0u);
}

TEST_F(TransTableTest, KeyFileIsReadBackUnchanged) {
  ASSERT_EQ(Table->Setup(16), 1);
  std::string before;
  ASSERT_EQ(ReadWholeFile(CTransTable::KeyFilePath(), before), 1);
  auto again = std::make_unique<CTransTable>();
  ASSERT_EQ(again->Setup(16), 1);
  EXPECT_EQ(std::memcmp(again->KeyTable, Table->KeyTable, sizeof Table->KeyTable), 0);
  EXPECT_EQ(std::memcmp(again->LockTable, Table->LockTable, sizeof Table->LockTable), 0);
  std::string after;
  ASSERT_EQ(ReadWholeFile(CTransTable::KeyFilePath(), after), 1);
  EXPECT_EQ(before, after);
  EXPECT_EQ(DamagedCopies(Home.Path() + "rand"), 0);
}

TEST_F(TransTableTest, DamagedKeyFileIsKeptAsideAndReplaced) {
  ASSERT_EQ(Table->Setup(16), 1);
  const std::string path = CTransTable::KeyFilePath();
  std::string good;
  ASSERT_EQ(ReadWholeFile(path, good), 1);
  std::string withLetter = good;
  const size_t separator = withLetter.find(';', 5000);
  ASSERT_LT(separator + 1, withLetter.size());
  withLetter[separator + 1] = 'x';
  const std::string damagedFiles[] = {good.substr(0, good.size() / 2), "hello;world;\n", withLetter,
                                      good.substr(0, good.size() - 1)};
  int expectedCopies = 0;
  for (const std::string& damaged : damagedFiles) {
    ASSERT_EQ(WriteFileAtomically(path, damaged), 1);
    ASSERT_EQ(Table->Setup(16), 1);
    EXPECT_TRUE(Table->HasTables());
    EXPECT_EQ(DamagedCopies(Home.Path() + "rand"), ++expectedCopies);
    EXPECT_EQ(ReadKeyRecords(path).size(), 2880u);
    auto reread = std::make_unique<CTransTable>();
    ASSERT_EQ(reread->Setup(1), 1);
    EXPECT_EQ(std::memcmp(reread->LockTable, Table->LockTable, sizeof Table->LockTable), 0);
    EXPECT_NE(Table->LockTable[1][SquareOf(12, 11)], 0u);
  }
}

TEST_F(TransTableTest, UnwritableKeyFolderGivesNoTables) {
  ASSERT_EQ(WriteFileAtomically(Home.Path() + "rand", "not a folder"), 1);
  EXPECT_EQ(Table->Setup(1024), 0);
  EXPECT_FALSE(Table->HasTables());
  EXPECT_EQ(Table->Count, 0);
}

TEST_F(TransTableTest, LeftOrRightChariotOnTheSameSquareHashAlike) {
  ASSERT_EQ(Table->Setup(16), 1);
  std::array<int, 256> left = InitialBoard, right = InitialBoard;
  // Left chariot (2) to (8,3); or right chariot (1) there with 2 on its corner.
  left[SquareOf(12, 3)] = 0;
  left[SquareOf(8, 3)] = 2;
  right[SquareOf(12, 3)] = 0;
  right[SquareOf(12, 11)] = 2;
  right[SquareOf(8, 3)] = 1;
  CPosition a, b;
  ASSERT_EQ(a.SetFromBoard(left, 1), 1);
  ASSERT_EQ(b.SetFromBoard(right, 1), 1);
  Table->ResetKeys(a);
  const uint32_t key = Table->Key32;
  const uint64_t lock = Table->Lock64;
  Table->ResetKeys(b);
  EXPECT_EQ(Table->Key32, key);
  EXPECT_EQ(Table->Lock64, lock);
  EXPECT_EQ(Table->LockOf(b), lock);
  CPosition start;
  EXPECT_NE(Table->LockOf(start), lock);
}

TEST_F(TransTableTest, StoreKeepsDeeperEntriesOfTheSamePosition) {
  ASSERT_EQ(Table->Setup(1), 1);  // one slot: every position collides
  CPosition start;
  Table->ResetKeys(start);
  Table->Store(1, HASH_LOWER, 50, 4, 1, CSquare {8, 11});
  HashEntry& entry = Table->Probe(1);
  ASSERT_TRUE(Table->Matches(entry));
  EXPECT_EQ(+entry.Flag, HASH_LOWER);
  EXPECT_EQ(entry.Value, 50);
  EXPECT_EQ(+entry.Depth, 4);
  EXPECT_EQ(+entry.MovePiece, 1);
  EXPECT_EQ(+entry.MoveToRow, 8);
  EXPECT_EQ(+entry.MoveToCol, 11);

  Table->Store(1, HASH_EXACT, 7, 3, 0, CSquare {});  // shallower: ignored
  EXPECT_EQ(Table->Probe(1).Value, 50);
  Table->Store(1, HASH_UPPER, 9, 4, 0, CSquare {});  // equal depth: replaces
  EXPECT_EQ(Table->Probe(1).Value, 9);
  EXPECT_EQ(+Table->Probe(1).Flag, HASH_UPPER);
  EXPECT_EQ(+Table->Probe(1).MovePiece, 0);

  const CMove move {1, 0, CSquare {12, 11}, CSquare {11, 11}};
  Table->MakeMoveKeys(move);
  EXPECT_FALSE(Table->Matches(Table->Probe(1)));
  Table->Store(1, HASH_EXACT, -3, -1, 0, CSquare {});  // another position: always replaces
  EXPECT_TRUE(Table->Matches(Table->Probe(1)));
  EXPECT_EQ(+Table->Probe(1).Depth, -1);
  Table->UnmakeMoveKeys(move);
  EXPECT_FALSE(Table->Matches(Table->Probe(1)));

  Table->ClearAll();
  EXPECT_EQ(Table->Probe(1).Lock, 0u);
  EXPECT_EQ(+Table->Probe(1).Flag, HASH_EMPTY);
}

TEST_F(TransTableTest, NewGenerationEmptiesTheTablesWithoutTouchingThem) {
  ASSERT_EQ(Table->Setup(1024), 1);
  CPosition start;
  Table->ResetKeys(start);
  Table->Store(1, HASH_EXACT, 77, 9, 1, CSquare {8, 11});
  ASSERT_TRUE(Table->Matches(Table->Probe(1)));

  // A new search: the entry is still there but counts as empty, so a
  // shallower store for the same position now writes.
  Table->NewGeneration();
  EXPECT_EQ(Table->Probe(1).Lock, Table->Lock64);
  EXPECT_FALSE(Table->Matches(Table->Probe(1)));
  Table->Store(1, HASH_UPPER, 5, 0, 0, CSquare {});
  EXPECT_TRUE(Table->Matches(Table->Probe(1)));
  EXPECT_EQ(Table->Probe(1).Value, 5);

  // When the stamps come round, the tables are cleared for real.
  Table->Generation = 255;
  Table->Store(1, HASH_EXACT, 6, 3, 0, CSquare {});
  Table->NewGeneration();
  EXPECT_EQ(Table->Generation, 1u);
  EXPECT_EQ(Table->Probe(1).Lock, 0u);
  EXPECT_EQ(+Table->Probe(1).Flag, HASH_EMPTY);
  EXPECT_FALSE(Table->Matches(Table->Probe(1)));
}

TEST_F(TransTableTest, EachSideToMoveHasItsOwnTable) {
  ASSERT_EQ(Table->Setup(1024), 1);
  CPosition start;
  Table->ResetKeys(start);
  Table->Store(1, HASH_EXACT, 11, 2, 0, CSquare {});
  EXPECT_TRUE(Table->Matches(Table->Probe(1)));
  EXPECT_FALSE(Table->Matches(Table->Probe(0)));
  Table->Store(0, HASH_EXACT, -22, 2, 0, CSquare {});
  EXPECT_EQ(Table->Probe(1).Value, 11);
  EXPECT_EQ(Table->Probe(0).Value, -22);
  EXPECT_NE(&Table->Probe(1), &Table->Probe(0));
}

// Keys followed move by move through real games, captures included, must equal
// the keys computed from scratch, and unmaking back must restore the start.
TEST_F(TransTableTest, IncrementalKeysFollowRealGames) {
  ASSERT_EQ(Table->Setup(16), 1);
  std::ifstream in(TestDataPath("iccs/master_games_1125.pgn"));
  ASSERT_TRUE(in);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::regex movePattern("\\b[a-i][0-9][a-i][0-9]\\b");
  // The first few games, split at their event tags.
  int games = 0, captures = 0;
  for (size_t begin = text.find("[Event"); begin != std::string::npos && games < 20; ++games) {
    const size_t end = text.find("[Event", begin + 1);
    const std::string game = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    begin = end;
    const std::string moves = game.substr(game.find("\n\n"));
    CPosition position;
    Table->ResetKeys(position);
    const uint32_t startKey = Table->Key32;
    const uint64_t startLock = Table->Lock64;
    std::vector<CMove> played;
    for (std::sregex_iterator it(moves.begin(), moves.end(), movePattern), last; it != last; ++it) {
      CMove move;
      ASSERT_EQ(MoveFromIccs(position, it->str(), move), 1) << it->str();
      if (move.Captured) ++captures;
      Table->MakeMoveKeys(move);
      position.MakeMove(move);
      played.push_back(move);
      const uint32_t key = Table->Key32;
      const uint64_t lock = Table->Lock64;
      ASSERT_EQ(Table->LockOf(position), lock);
      Table->ResetKeys(position);
      ASSERT_EQ(Table->Key32, key);
      ASSERT_EQ(Table->Lock64, lock);
    }
    for (auto it = played.rbegin(); it != played.rend(); ++it) {
      Table->UnmakeMoveKeys(*it);
      position.UnmakeMove(*it);
    }
    EXPECT_EQ(Table->Key32, startKey);
    EXPECT_EQ(Table->Lock64, startLock);
  }
  EXPECT_EQ(games, 20);
  EXPECT_GT(captures, 100);
}

}  // namespace
