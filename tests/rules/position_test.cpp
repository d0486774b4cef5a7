#include "rules/position.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr const char* kStartFen = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

TEST(Position, NewPositionIsTheStartPosition) {
  CPosition position;
  EXPECT_EQ(position.Fen(1), kStartFen);
  int difference = -1;
  EXPECT_EQ(position.CountPieces(&difference), 16);
  EXPECT_EQ(difference, 0);
  EXPECT_EQ(position.PieceSquare[16], (CSquare {12, 7}));
  EXPECT_EQ(position.PieceSquare[4], (CSquare {10, 4}));
  EXPECT_EQ(position.RowBits[12], 0xFF8u);
  EXPECT_EQ(position.ColBits[7], (1u << 3) | (1u << 6) | (1u << 9) | (1u << 12));
}

TEST(Position, SetFromBoardWritesFen) {
  CPosition position;
  char fen[FEN_BUFFER_SIZE];
  ASSERT_EQ(position.SetFromBoard(InitialBoard, 0, fen), 1);
  EXPECT_STREQ(fen, "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1");
}

TEST(Position, StartFenGivesTheStartPositionMemberForMember) {
  CPosition position;
  position.Clear();
  int red = -1;
  ASSERT_EQ(position.SetFromFen(kStartFen, red), 1);
  EXPECT_EQ(red, 1);
  const CPosition start;
  EXPECT_EQ(std::memcmp(position.Board, start.Board, sizeof start.Board), 0);
  for (int id = 0; id < 48; ++id) {
    EXPECT_EQ(position.PieceSquare[id].Row, start.PieceSquare[id].Row) << id;
    EXPECT_EQ(position.PieceSquare[id].Col, start.PieceSquare[id].Col) << id;
  }
  EXPECT_EQ(std::memcmp(position.RowBits, start.RowBits, sizeof start.RowBits), 0);
  EXPECT_EQ(std::memcmp(position.ColBits, start.ColBits, sizeof start.ColBits), 0);
  // Each side's right-hand chariot has the lower identity.
  EXPECT_EQ(position.Board[SquareOf(3, 3)], 17);
  EXPECT_EQ(position.Board[SquareOf(3, 11)], 18);
  EXPECT_EQ(position.Board[SquareOf(12, 11)], 1);
  EXPECT_EQ(position.Board[SquareOf(12, 3)], 2);
  EXPECT_EQ(position.Fen(1), kStartFen);
}

TEST(Position, FenNumbersEachSideFromItsOwnBackRankAndRightHand) {
  // Black: top row first, left to right. Red: bottom row first, right to left.
  CPosition position;
  int red;
  ASSERT_EQ(position.SetFromFen("r3k4/9/9/P3p3r/9/6P2/2R6/9/9/R3K4 w - - 0 1", red), 1);
  EXPECT_EQ(position.Board[SquareOf(3, 3)], 17);
  EXPECT_EQ(position.Board[SquareOf(6, 11)], 18);
  EXPECT_EQ(position.Board[SquareOf(6, 7)], 27);
  EXPECT_EQ(position.Board[SquareOf(12, 3)], 1);   // red's back rank comes first
  EXPECT_EQ(position.Board[SquareOf(9, 5)], 2);
  EXPECT_EQ(position.Board[SquareOf(8, 9)], 11);   // red pawns: the nearer row first
  EXPECT_EQ(position.Board[SquareOf(6, 3)], 12);

  // Reading the board turned round gives the turned-round identities.
  CPosition turned, readTurned;
  ASSERT_EQ(position.RotateInto(turned), 1);
  ASSERT_EQ(readTurned.SetFromFen(turned.Fen(1).c_str(), red), 1);
  EXPECT_EQ(std::memcmp(readTurned.Board, turned.Board, sizeof turned.Board), 0);
}

TEST(Position, FenRejectsImpossiblePlacements) {
  CPosition position;
  int red;
  const char* bad[] = {
      "4k4/9/9/9/9/P1P1P1P1P/P8/9/9/4K4 w - - 0 1",   // sixth red pawn
      "4k4/9/9/n1n1n4/9/9/9/9/9/4K4 w - - 0 1",       // third black horse
      "3kk4/9/9/9/9/9/9/9/9/4K4 w - - 0 1",           // second black king
      "4k4/9/9/9/9/9/2B6/9/9/4K4 w - - 0 1",          // red elephant on (9, 5)
      "4k4/9/9/9/9/9/1P7/9/9/4K4 w - - 0 1",          // red pawn on (9, 4)
      "4k4/9/9/9/9/9/9/9/9/4K4",                      // no blank after the board
      "4k4/9/9/9/9/9/9/9/9/4K4x w - - 0 1",           // unknown letter
      "4k4/9/9/9/9/9/9/9/9/4K4/9 w - - 0 1",          // an eleventh row
  };
  for (const char* fen : bad) EXPECT_EQ(position.SetFromFen(fen, red), 0) << fen;
  EXPECT_EQ(position.SetFromFen("4k4/9/9/9/9/9/9/9/3A5/4K4 w - - 0 1", red), 0);  // advisor on (11, 6)
}

TEST(Position, FenSideLetterAndAliases) {
  CPosition a, b;
  int red = -1;
  ASSERT_EQ(a.SetFromFen("rheakaehr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RHEAKAEHR B", red), 1);
  EXPECT_EQ(red, 0);
  ASSERT_EQ(b.SetFromFen("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR W", red), 1);
  EXPECT_EQ(red, 1);
  EXPECT_TRUE(a.SamePlacement(b));
  ASSERT_EQ(b.SetFromFen("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR ", red), 1);
  EXPECT_EQ(red, 1);
  ASSERT_EQ(b.SetFromFen("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR x", red), 1);
  EXPECT_EQ(red, 1);
}

TEST(Position, LeadingBlankLoadsAnEmptyBoard) {
  CPosition position;
  int red;
  ASSERT_EQ(position.SetFromFen(" w", red), 1);
  EXPECT_EQ(position.CountPieces(), 0);
  EXPECT_EQ(position.Fen(1), "9/9/9/9/9/9/9/9/9/9 w - - 0 1");
}

TEST(Position, OverlongDigitRunsFailOnlyWhenAPieceFollows) {
  CPosition position;
  int red;
  EXPECT_EQ(position.SetFromFen("4k4/55/9/9/9/9/9/9/9/4K4 w", red), 1);
  EXPECT_EQ(position.SetFromFen("4k4/55r/9/9/9/9/9/9/9/4K4 w", red), 0);
}

TEST(Position, FailedLoadLeavesThePositionUnchanged) {
  CPosition position;
  CPosition before(position);
  int red;
  EXPECT_EQ(position.SetFromFen("4k4/9/9/9/9/9/1P7/9/9/4K4 w", red), 0);
  EXPECT_TRUE(position.SamePlacement(before));
  int32_t board[256] = {};
  board[SquareOf(12, 7)] = 40;  // identity never used
  EXPECT_EQ(position.SetFromBoard(board, 1), 0);
  EXPECT_TRUE(position.SamePlacement(before));
}

TEST(Position, MakeUnmakeRestoresEveryMember) {
  CPosition position;
  const CPosition before(position);
  // Cannon takes the horse behind the screen, then a quiet chariot move.
  const CMove capture {4, 21, {10, 4}, {3, 4}};
  const CMove quiet {1, 0, {12, 11}, {11, 11}};
  position.MakeMove(capture);
  EXPECT_EQ(position.Board[SquareOf(3, 4)], 4);
  EXPECT_TRUE(position.PieceSquare[21].IsNone());
  position.MakeMove(quiet);
  position.UnmakeMove(quiet);
  position.UnmakeMove(capture);
  EXPECT_TRUE(position.SamePlacement(before));
  position.MakeMoveBoardOnly(capture);
  position.UnmakeMoveBoardOnly(capture);
  EXPECT_TRUE(position.SamePlacement(before));
}

TEST(Position, MirrorAndRotateTwiceGiveTheFirstPlacement) {
  CPosition position, once, twice;
  int red;
  ASSERT_EQ(position.SetFromFen("2bak4/4a4/4b1n2/p1p1p3p/6p2/2P6/P3c3P/1C2B1N2/4A4/2BAK4 w", red), 1);
  ASSERT_EQ(position.MirrorInto(once), 1);
  ASSERT_EQ(once.MirrorInto(twice), 1);
  EXPECT_TRUE(twice.SamePlacement(position));
  EXPECT_EQ(once.Fen(1), "4kab2/4a4/2n1b4/p3p1p1p/2p6/6P2/P3c3P/2N1B2C1/4A4/4KAB2 w - - 0 1");
  ASSERT_EQ(position.RotateInto(once), 1);
  ASSERT_EQ(once.RotateInto(twice), 1);
  EXPECT_TRUE(twice.SamePlacement(position));
  EXPECT_EQ(once.Board[SquareOf(3, 6)], SwapColourPiece[position.Board[SquareOf(12, 8)]]);
}

}  // namespace
