#include "rules/move_tables.h"

#include <gtest/gtest.h>

#include <vector>

#include "rules/pieces.h"

namespace {

// A zero-terminated list as a vector.
template <int N>
std::vector<int> Listed(const uint8_t (&list)[N]) {
  std::vector<int> out;
  for (int i = 0; i < N && list[i] != 0; ++i) out.push_back(list[i]);
  return out;
}

int Sq(int row, int col) { return SquareOf(row, col); }

// Pattern with the given places occupied.
int Pattern(std::initializer_list<int> places) {
  int pattern = 0;
  for (const int place : places) pattern |= 1 << place;
  return pattern;
}

class MoveTables : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildMoveTables();
    BuildMoveTables();  // later calls change nothing
  }
};

TEST_F(MoveTables, LineIndexesAndPatterns) {
  EXPECT_EQ(RowLineIndex[3], 0);
  EXPECT_EQ(RowLineIndex[12], 9);
  EXPECT_EQ(RowLineIndex[13], 0);
  EXPECT_EQ(ColLineIndex[11], 8);
  EXPECT_EQ(ColLineIndex[12], 0);
  EXPECT_EQ(PatternIndex[(1 << 3) | (1 << 12)], Pattern({0, 9}));
  EXPECT_EQ(PatternIndex[0x1FFF], 1023);
}

TEST_F(MoveTables, KingBetweenMaskCoversRowsStrictlyBetweenPalaces) {
  EXPECT_EQ(KingBetweenMask[3 * 16 + 10], 0x3F0u);  // bits 4..9
  EXPECT_EQ(KingBetweenMask[10 * 16 + 3], 0x3F0u);
  EXPECT_EQ(KingBetweenMask[5 * 16 + 10], 0x3C0u);  // bits 6..9
  EXPECT_EQ(KingBetweenMask[4 * 16 + 11], 0x7E0u);  // bits 5..10
  EXPECT_EQ(KingBetweenMask[3 * 16 + 9], 0u);
  EXPECT_EQ(KingBetweenMask[6 * 16 + 10], 0u);
  EXPECT_EQ(KingBetweenMask[10 * 16 + 11], 0u);
}

TEST_F(MoveTables, CaptureLinesTakeFirstOrSecondPieceEachWay) {
  // Place 4 with pieces at places 0, 2, 6, 7, 9.
  const int pattern = Pattern({0, 2, 4, 6, 7, 9});
  EXPECT_EQ(Listed(ChariotCaptureLine[4][pattern]), (std::vector<int> {5, 9}));
  EXPECT_EQ(Listed(CannonCaptureLine[4][pattern]), (std::vector<int> {3, 10}));
  // Nothing below: the piece above takes the first entry.
  EXPECT_EQ(Listed(ChariotCaptureLine[0][Pattern({0, 5})]), (std::vector<int> {8}));
  EXPECT_EQ(Listed(CannonCaptureLine[0][Pattern({0, 5})]), (std::vector<int> {}));
  EXPECT_EQ(Listed(CannonCaptureLine[3][Pattern({1, 3, 8, 9})]), (std::vector<int> {12}));
  EXPECT_EQ(Listed(ChariotCaptureLine[5][0]), (std::vector<int> {}));
}

TEST_F(MoveTables, QuietLinesListEmptyPlacesNearestFirstLowerSideFirst) {
  const int pattern = Pattern({1, 4, 7});
  const std::vector<int> expected {6, 5, 8, 9};  // places 3, 2, then 5, 6
  EXPECT_EQ(Listed(ChariotQuietColumn[4][pattern]), expected);
  EXPECT_EQ(Listed(CannonQuietColumn[4][pattern]), expected);
  EXPECT_EQ(Listed(ChariotQuietRow[4][pattern]), expected);
  EXPECT_EQ(Listed(CannonQuietRow[4][pattern]), expected);
  // An open column from place 0 holds all nine others; an open row eight.
  EXPECT_EQ(Listed(ChariotQuietColumn[0][1]), (std::vector<int> {4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(Listed(ChariotQuietRow[8][1 << 8]), (std::vector<int> {10, 9, 8, 7, 6, 5, 4, 3}));
}

TEST_F(MoveTables, HorseMovesInListOrderAndBlockedByLegs) {
  const int centre = Sq(7, 7);
  EXPECT_EQ(Listed(HorseMoves[centre][0]),
            (std::vector<int> {Sq(5, 6), Sq(5, 8), Sq(9, 6), Sq(9, 8), Sq(6, 5), Sq(8, 5), Sq(6, 9), Sq(8, 9)}));
  EXPECT_EQ(Listed(HorseMoves[centre][1]), (std::vector<int> {Sq(9, 6), Sq(9, 8), Sq(6, 5), Sq(8, 5), Sq(6, 9), Sq(8, 9)}));
  EXPECT_EQ(Listed(HorseMoves[centre][15]), (std::vector<int> {}));
  // Corner: off-board destinations are dropped and the rest packed.
  EXPECT_EQ(Listed(HorseMoves[Sq(12, 3)][0]), (std::vector<int> {Sq(10, 4), Sq(11, 5)}));
}

TEST_F(MoveTables, PalaceMoves) {
  EXPECT_EQ(Listed(KingMoves[Sq(11, 7)]), (std::vector<int> {Sq(10, 7), Sq(12, 7), Sq(11, 6), Sq(11, 8)}));
  EXPECT_EQ(Listed(KingMoves[Sq(3, 6)]), (std::vector<int> {Sq(4, 6), Sq(3, 7)}));
  EXPECT_EQ(Listed(KingMoves[Sq(7, 7)]), (std::vector<int> {}));
  EXPECT_EQ(Listed(AdvisorMoves[Sq(4, 7)]), (std::vector<int> {Sq(3, 8), Sq(3, 6), Sq(5, 6), Sq(5, 8)}));
  EXPECT_EQ(Listed(AdvisorMoves[Sq(12, 6)]), (std::vector<int> {Sq(11, 7)}));
  EXPECT_EQ(Listed(AdvisorMoves[Sq(11, 6)]), (std::vector<int> {}));
}

TEST_F(MoveTables, ElephantMovesStayOnOwnPoints) {
  EXPECT_EQ(Listed(ElephantMoves[Sq(10, 7)][0]), (std::vector<int> {Sq(8, 9), Sq(8, 5), Sq(12, 5), Sq(12, 9)}));
  EXPECT_EQ(Listed(ElephantMoves[Sq(10, 7)][1 | 4]), (std::vector<int> {Sq(8, 5), Sq(12, 9)}));
  // From the river bank only backwards; never across.
  EXPECT_EQ(Listed(ElephantMoves[Sq(8, 5)][0]), (std::vector<int> {Sq(10, 3), Sq(10, 7)}));
  EXPECT_EQ(Listed(ElephantMoves[Sq(7, 5)][0]), (std::vector<int> {Sq(5, 7), Sq(5, 3)}));
  EXPECT_EQ(Listed(ElephantMoves[Sq(9, 5)][0]), (std::vector<int> {}));
}

TEST_F(MoveTables, PawnMovesBeforeAndAcrossTheRiver) {
  EXPECT_EQ(Listed(PawnMoves[RED][Sq(9, 5)]), (std::vector<int> {Sq(8, 5)}));
  EXPECT_EQ(Listed(PawnMoves[RED][Sq(9, 4)]), (std::vector<int> {}));
  EXPECT_EQ(Listed(PawnMoves[RED][Sq(7, 4)]), (std::vector<int> {Sq(6, 4), Sq(7, 3), Sq(7, 5)}));
  EXPECT_EQ(Listed(PawnMoves[RED][Sq(3, 3)]), (std::vector<int> {Sq(3, 4)}));
  EXPECT_EQ(Listed(PawnMoves[RED][Sq(3, 11)]), (std::vector<int> {Sq(3, 10)}));
  EXPECT_EQ(Listed(PawnMoves[RED][Sq(10, 5)]), (std::vector<int> {}));
  EXPECT_EQ(Listed(PawnMoves[BLACK][Sq(6, 7)]), (std::vector<int> {Sq(7, 7)}));
  EXPECT_EQ(Listed(PawnMoves[BLACK][Sq(8, 7)]), (std::vector<int> {Sq(9, 7), Sq(8, 6), Sq(8, 8)}));
  EXPECT_EQ(Listed(PawnMoves[BLACK][Sq(12, 8)]), (std::vector<int> {Sq(12, 7), Sq(12, 9)}));
  EXPECT_EQ(Listed(PawnMoves[BLACK][Sq(5, 7)]), (std::vector<int> {}));
}

}  // namespace
