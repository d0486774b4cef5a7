#include "rules/move_generator.h"

#include <gtest/gtest.h>

#include <map>

#include "move_test_helpers.h"

namespace {

using MoveGenerator = RulesTest;

TEST_F(MoveGenerator, StartPositionHas44MovesWithTheExpectedBreakdown) {
  const CPosition start;
  CMoveList all;
  GenerateAllMoves(start, 1, all);
  ASSERT_EQ(all.Count, 44);
  std::map<int, int> perPiece;
  for (int i = 0; i < all.Count; ++i) ++perPiece[all.Moves[i].Piece];
  const std::map<int, int> expected {{1, 2},  {2, 2},  {3, 12}, {4, 12}, {5, 2},  {6, 2},  {7, 1},  {8, 1},
                                     {9, 2},  {10, 2}, {11, 1}, {12, 1}, {13, 1}, {14, 1}, {15, 1}, {16, 1}};
  EXPECT_EQ(perPiece, expected);

  // Identities in increasing order; the cannon lists its capture first,
  // then column quiet moves (up, then down), then row quiet moves (left, then right).
  for (int i = 1; i < all.Count; ++i) EXPECT_LE(all.Moves[i - 1].Piece, all.Moves[i].Piece);
  EXPECT_EQ(DestinationsOf(all, 1), (std::vector<Dest> {{11, 11, 0}, {10, 11, 0}}));
  EXPECT_EQ(DestinationsOf(all, 3),
            (std::vector<Dest> {{3, 10, 22}, {9, 10, 0}, {8, 10, 0}, {7, 10, 0}, {6, 10, 0}, {11, 10, 0},
                                {10, 9, 0}, {10, 8, 0}, {10, 7, 0}, {10, 6, 0}, {10, 5, 0}, {10, 11, 0}}));
  EXPECT_EQ(DestinationsOf(all, 16), (std::vector<Dest> {{11, 7, 0}}));
  EXPECT_EQ(all.Moves[0].From, (CSquare {12, 11}));

  CMoveList captures;
  GenerateCaptures(start, 1, captures);
  ASSERT_EQ(captures.Count, 2);
  EXPECT_EQ(captures.Moves[0], (CMove {3, 22, {10, 10}, {3, 10}}));
  EXPECT_EQ(captures.Moves[1], (CMove {4, 21, {10, 4}, {3, 4}}));

  // Black's mirror image of the same counts.
  GenerateAllMoves(start, 0, all);
  EXPECT_EQ(all.Count, 44);
  EXPECT_EQ(all.Moves[0].Piece, 17);
}

TEST_F(MoveGenerator, HorseLegsBlockTheirPairOfDestinations) {
  const CPosition above = PositionWith({{5, 8, 6}, {11, 7, 6}, {16, 12, 7}, {32, 3, 6}});
  CMoveList list;
  GenerateAllMoves(above, 1, list);
  EXPECT_EQ(DestinationsOf(list, 5), (std::vector<Dest> {{10, 5, 0}, {10, 7, 0}, {7, 4, 0}, {9, 4, 0}, {7, 8, 0}, {9, 8, 0}}));

  // All four legs taken, by own and enemy pieces alike: no move at all.
  const CPosition boxed = PositionWith({{5, 8, 6}, {11, 7, 6}, {27, 9, 6}, {28, 8, 5}, {17, 8, 7}, {16, 12, 7}, {32, 3, 6}});
  GenerateAllMoves(boxed, 1, list);
  EXPECT_TRUE(DestinationsOf(list, 5).empty());
}

TEST_F(MoveGenerator, ElephantEyesAndTheRiver) {
  // Eye (9, 8) taken: no way to (8, 9); the others stay.
  const CPosition eye = PositionWith({{9, 10, 7}, {28, 9, 8}, {16, 12, 6}, {32, 3, 7}});
  CMoveList list;
  GenerateAllMoves(eye, 1, list);
  EXPECT_EQ(DestinationsOf(list, 9), (std::vector<Dest> {{8, 5, 0}, {12, 5, 0}, {12, 9, 0}}));

  // On the river bank an elephant only goes back.
  const CPosition bank = PositionWith({{9, 8, 5}, {16, 12, 6}, {25, 7, 5}, {32, 3, 7}});
  GenerateAllMoves(bank, 1, list);
  EXPECT_EQ(DestinationsOf(list, 9), (std::vector<Dest> {{10, 3, 0}, {10, 7, 0}}));
  GenerateAllMoves(bank, 0, list);
  EXPECT_EQ(DestinationsOf(list, 25), (std::vector<Dest> {{5, 7, 0}, {5, 3, 0}}));
}

TEST_F(MoveGenerator, CannonNeedsExactlyOneScreen) {
  // Column 4 upwards: screen (9, 4), horse (6, 4) captured, chariot (4, 4)
  // beyond two screens safe. Row 12: nothing to the left, king as screen to the right.
  const CPosition position =
      PositionWith({{3, 12, 4}, {16, 12, 7}, {27, 9, 4}, {21, 6, 4}, {17, 4, 4}, {28, 12, 9}, {32, 3, 6}});
  CMoveList list;
  GenerateAllMoves(position, 1, list);
  EXPECT_EQ(DestinationsOf(list, 3), (std::vector<Dest> {{6, 4, 21}, {12, 9, 28}, {11, 4, 0}, {10, 4, 0}, {12, 3, 0},
                                                         {12, 5, 0}, {12, 6, 0}}));
  GenerateCaptures(position, 1, list);
  EXPECT_EQ(DestinationsOf(list, 3), (std::vector<Dest> {{6, 4, 21}, {12, 9, 28}}));
  GenerateQuietMoves(position, 1, list);
  EXPECT_EQ(DestinationsOf(list, 3), (std::vector<Dest> {{11, 4, 0}, {10, 4, 0}, {12, 3, 0}, {12, 5, 0}, {12, 6, 0}}));
}

TEST_F(MoveGenerator, ChariotStopsAtOwnPiecesAndTakesTheFirstEnemy) {
  const CPosition position =
      PositionWith({{1, 7, 5}, {11, 7, 4}, {12, 6, 5}, {9, 8, 5}, {29, 7, 7}, {18, 7, 9}, {16, 12, 6}, {32, 3, 7}});
  CMoveList list;
  GenerateAllMoves(position, 1, list);
  EXPECT_EQ(DestinationsOf(list, 1), (std::vector<Dest> {{7, 7, 29}, {7, 6, 0}}));
}

TEST_F(MoveGenerator, FacingKingsCaptureEachOther) {
  const CPosition position = PositionWith({{16, 12, 7}, {32, 3, 7}, {11, 7, 3}});
  CMoveList list;
  const CMove capture {16, 32, {12, 7}, {3, 7}};
  GenerateAllMoves(position, 1, list);
  ASSERT_GT(list.Count, 0);
  EXPECT_EQ(list.Moves[list.Count - 1], capture);  // after the king's steps
  EXPECT_EQ(DestinationsOf(list, 16), (std::vector<Dest> {{11, 7, 0}, {12, 6, 0}, {12, 8, 0}, {3, 7, 32}}));
  GenerateCaptures(position, 1, list);
  ASSERT_EQ(list.Count, 1);
  EXPECT_EQ(list.Moves[0], capture);
  GenerateQuietMoves(position, 1, list);
  EXPECT_FALSE(ListHasMove(list, capture));
  GenerateAllMoves(position, 0, list);
  EXPECT_TRUE(ListHasMove(list, (CMove {32, 16, {3, 7}, {12, 7}})));

  // Any piece between: no capture.
  const CPosition blocked = PositionWith({{16, 12, 7}, {32, 3, 7}, {11, 7, 7}});
  GenerateCaptures(blocked, 1, list);
  EXPECT_EQ(list.Count, 0);
}

TEST_F(MoveGenerator, PawnsBeforeAndAfterTheRiver) {
  const CPosition position =
      PositionWith({{11, 9, 3}, {12, 3, 5}, {13, 7, 9}, {27, 6, 11}, {28, 12, 4}, {16, 12, 6}, {32, 4, 7}});
  CMoveList list;
  GenerateAllMoves(position, 1, list);
  EXPECT_EQ(DestinationsOf(list, 11), (std::vector<Dest> {{8, 3, 0}}));
  EXPECT_EQ(DestinationsOf(list, 12), (std::vector<Dest> {{3, 4, 0}, {3, 6, 0}}));
  EXPECT_EQ(DestinationsOf(list, 13), (std::vector<Dest> {{6, 9, 0}, {7, 8, 0}, {7, 10, 0}}));
  GenerateAllMoves(position, 0, list);
  EXPECT_EQ(DestinationsOf(list, 27), (std::vector<Dest> {{7, 11, 0}}));
  EXPECT_EQ(DestinationsOf(list, 28), (std::vector<Dest> {{12, 3, 0}, {12, 5, 0}}));
}

}  // namespace
