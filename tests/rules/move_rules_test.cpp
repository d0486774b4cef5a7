#include "rules/move_rules.h"

#include <gtest/gtest.h>

#include "move_test_helpers.h"

namespace {

using MoveRules = RulesTest;

TEST_F(MoveRules, PseudoLegalNeedsTheRightCapturedPiece) {
  const CPosition start;
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 21, {10, 4}, {3, 4}}), 1);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 0, {10, 4}, {3, 4}}), 0);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 0, {10, 4}, {7, 4}}), 1);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 27, {10, 4}, {7, 4}}), 0);  // nothing stands there
  // A chariot takes neither its own horse nor a piece behind its own pawn.
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {2, 6, {12, 3}, {12, 4}}), 0);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {2, 17, {12, 3}, {3, 3}}), 0);
  // Off any line.
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 17, {10, 4}, {3, 3}}), 0);
}

TEST_F(MoveRules, PseudoLegalRejectsInconsistentMoves) {
  const CPosition start;
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {}), 0);
  EXPECT_EQ(IsPseudoLegal(start, 0, CMove {4, 0, {10, 4}, {7, 4}}), 0);  // not black's piece
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {3, 0, {10, 4}, {7, 4}}), 0);  // another piece stands on From
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 0, {0, 0}, {7, 4}}), 0);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 0, {10, 4}, {0, 0}}), 0);
  // Squares far off the board are refused without reading outside the board.
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 0, {10, 4}, {40, -3}}), 0);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {4, 0, {-7, 400}, {7, 4}}), 0);
  EXPECT_EQ(IsPseudoLegal(start, 1, CMove {99, 0, {10, 4}, {7, 4}}), 0);
  EXPECT_EQ(CanMoveTo(start, 1, 4, CSquare {1000, 1000}), 0);
  EXPECT_EQ(CanMoveTo(start, 1, -5, CSquare {7, 4}), 0);
  EXPECT_EQ(CanMoveTo(start, 1, 4, CSquare {}), 0);
}

TEST_F(MoveRules, CanMoveToTakesWhateverStandsOnTheTarget) {
  const CPosition start;
  EXPECT_EQ(CanMoveTo(start, 1, 4, CSquare {3, 4}), 1);
  EXPECT_EQ(CanMoveTo(start, 1, 4, CSquare {10, 7}), 1);
  EXPECT_EQ(CanMoveTo(start, 1, 4, CSquare {12, 4}), 0);  // own horse
  EXPECT_EQ(CanMoveTo(start, 1, 5, CSquare {10, 9}), 1);
  EXPECT_EQ(CanMoveTo(start, 1, 5, CSquare {11, 8}), 0);  // leg blocked by the elephant beside it
  EXPECT_EQ(CanMoveTo(start, 1, 21, CSquare {5, 5}), 0);  // black piece, red to move
  EXPECT_EQ(CanMoveTo(start, 0, 21, CSquare {5, 5}), 1);

  CPosition captured = PositionWith({{16, 12, 6}, {32, 3, 7}, {3, 10, 4}});
  EXPECT_EQ(CanMoveTo(captured, 1, 4, CSquare {9, 4}), 0);  // identity not on the board
}

TEST_F(MoveRules, FacingKings) {
  const CPosition position = PositionWith({{16, 12, 7}, {32, 3, 7}, {11, 7, 3}, {27, 6, 11}});
  EXPECT_EQ(KingsFace(position), 1);
  EXPECT_EQ(KingStatus(position, 1), KING_WIN_SCORE);
  EXPECT_EQ(KingStatus(position, 0), KING_WIN_SCORE);
  EXPECT_EQ(IsInCheck(position, 1), 1);
  EXPECT_EQ(IsInCheck(position, 0), 1);
  EXPECT_EQ(CanMoveTo(position, 1, 16, CSquare {3, 7}), 1);
  EXPECT_EQ(CanMoveTo(position, 0, 32, CSquare {12, 7}), 1);
  EXPECT_EQ(IsPseudoLegal(position, 1, CMove {16, 32, {12, 7}, {3, 7}}), 1);
  EXPECT_EQ(IsPseudoLegal(position, 1, CMove {16, 0, {12, 7}, {3, 7}}), 0);

  const CPosition screened = PositionWith({{16, 12, 7}, {32, 3, 7}, {11, 7, 7}});
  EXPECT_EQ(KingsFace(screened), 0);
  EXPECT_EQ(KingStatus(screened, 1), 0);
  EXPECT_EQ(IsInCheck(screened, 0), 0);
  EXPECT_EQ(CanMoveTo(screened, 1, 16, CSquare {3, 7}), 0);
}

TEST_F(MoveRules, MissingKings) {
  const CPosition noRed = PositionWith({{32, 3, 7}, {1, 7, 3}});
  EXPECT_EQ(KingStatus(noRed, 1), -KING_WIN_SCORE);
  EXPECT_EQ(KingStatus(noRed, 0), KING_WIN_SCORE);
  EXPECT_EQ(IsInCheck(noRed, 1), 0);  // no king to attack
  EXPECT_EQ(IsInCheck(noRed, 0), 0);
  EXPECT_EQ(KingsFace(noRed), 0);

  const CPosition noBlack = PositionWith({{16, 12, 7}});
  EXPECT_EQ(KingStatus(noBlack, 1), KING_WIN_SCORE);
  EXPECT_EQ(KingStatus(noBlack, 0), -KING_WIN_SCORE);

  const CPosition empty = PositionWith({});
  EXPECT_EQ(KingStatus(empty, 1), -KING_WIN_SCORE);
  EXPECT_EQ(KingStatus(empty, 0), KING_WIN_SCORE);
}

TEST_F(MoveRules, EachAttackerKind) {
  struct Case {
    const char* Name;
    std::initializer_list<Placed> Pieces;
    int Attacked;
  };
  const Case cases[] = {
      {"chariot on the column", {{16, 12, 7}, {32, 3, 6}, {1, 8, 6}}, 1},
      {"chariot screened", {{16, 12, 7}, {32, 3, 6}, {1, 8, 6}, {21, 6, 6}}, 0},
      {"chariot on the row", {{16, 12, 7}, {32, 4, 6}, {1, 4, 11}}, 1},
      {"cannon over one screen", {{16, 12, 7}, {32, 3, 6}, {3, 8, 6}, {21, 6, 6}}, 1},
      {"cannon without screen", {{16, 12, 7}, {32, 3, 6}, {3, 8, 6}}, 0},
      {"cannon over two screens", {{16, 12, 7}, {32, 3, 6}, {3, 8, 6}, {21, 6, 6}, {22, 4, 6}}, 0},
      {"horse with free leg", {{16, 12, 7}, {32, 3, 6}, {5, 5, 7}}, 1},
      {"horse with blocked leg", {{16, 12, 7}, {32, 3, 6}, {5, 5, 7}, {23, 4, 7}}, 0},
      {"horse leg beside the king does not matter", {{16, 12, 7}, {32, 3, 6}, {5, 5, 7}, {21, 4, 6}}, 1},
      {"pawn below", {{16, 12, 7}, {32, 3, 6}, {11, 4, 6}}, 1},
      {"pawn beside", {{16, 12, 7}, {32, 3, 6}, {11, 3, 7}}, 1},
      {"pawn cannot attack backwards", {{16, 12, 7}, {32, 4, 6}, {11, 3, 6}}, 0},
      {"advisor and elephant never attack", {{16, 12, 7}, {32, 3, 6}, {9, 8, 5}, {7, 12, 6}}, 0},
  };
  for (const Case& c : cases) {
    const CPosition position = PositionWith(c.Pieces);
    EXPECT_EQ(IsAttackingKing(position, 1), c.Attacked) << c.Name;
    EXPECT_EQ(IsInCheck(position, 0), c.Attacked) << c.Name;
    EXPECT_EQ(IsInCheck(position, 1), 0) << c.Name;
  }
}

TEST_F(MoveRules, NoLegalMoveWithoutBeingInCheck) {
  // Black's king may step only into attack (row 4 by the chariot, (3, 7)
  // facing the red king), and its horse is pinned on the king's column.
  CPosition position = PositionWith({{32, 3, 6}, {21, 5, 6}, {1, 9, 6}, {2, 4, 11}, {16, 12, 7}});
  CMoveList scratch;
  EXPECT_EQ(IsInCheck(position, 0), 0);
  const CPosition before = position;
  EXPECT_EQ(HasNoLegalMove(position, 0, scratch), 1);
  EXPECT_TRUE(position.SamePlacement(before));
  EXPECT_GT(scratch.Count, 0);
  EXPECT_EQ(HasNoLegalMove(position, 1, scratch), 0);

  CPosition start;
  EXPECT_EQ(HasNoLegalMove(start, 1, scratch), 0);
  EXPECT_EQ(HasNoLegalMove(start, 0, scratch), 0);

  // Checkmated (from the perft data: no legal move at any depth).
  int red = 0;
  CPosition mated = PositionFromFen("3aka1nr/1Cr3C2/b8/2p3p1p/6b2/1p1cP1P2/P1Pn2R1P/4BR3/3K5/2B2AN2 w - - 11 47", red);
  EXPECT_EQ(HasNoLegalMove(mated, red, scratch), 1);
  EXPECT_EQ(IsInCheck(mated, red), 1);
}

}  // namespace
