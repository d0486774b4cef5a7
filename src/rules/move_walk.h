#pragma once
// The one walk over a side's pseudo-legal moves, shared by the generators and
// by perft. It hands every accepted move to a sink as
//   sink(piece, captured, fromSquare, toSquare)
// in generation order: identities in increasing order, each piece's table
// order, chariot and cannon captures (column, row) before their quiet moves
// (column, row), the king's steps before the capture of a facing king.
// Tables must have been built (BuildMoveTables).
#include <cstdint>

#include "rules/move_tables.h"
#include "rules/position.h"

namespace movewalk {

enum Kinds : int { CAPTURES = 1, QUIETS = 2, ALL = 3 };

// An enemy piece for the given mover: black identities for red, red for black.
template <int Side>
inline bool IsEnemy(int id) {
  if constexpr (Side == RED) return id > 16;
  else return static_cast<unsigned>(id - 1) < 16u;
}

// Destination lists of the square tables: empty squares and enemy pieces pass.
template <int Wanted, int Side, int N, class Sink>
inline void WalkList(const CPosition& p, int piece, int from, const uint8_t (&list)[N], Sink& sink) {
  for (int i = 0; i < N; ++i) {
    const int to = list[i];
    if (to == 0) return;
    const int target = p.Board[to];
    if (target == 0) {
      if constexpr ((Wanted & QUIETS) != 0) sink(piece, 0, from, to);
    } else if constexpr ((Wanted & CAPTURES) != 0) {
      if (IsEnemy<Side>(target)) sink(piece, target, from, to);
    }
  }
}

// Chariot or cannon: captures along the column, along the row, then quiet
// moves along the column, along the row. The quiet tables list empty places only.
template <int Wanted, int Side, class Sink>
inline void WalkLine(const CPosition& p, int piece, int from, const uint8_t (&capture)[10][1024][2],
                     const uint8_t (&quietColumn)[10][1024][9], const uint8_t (&quietRow)[9][512][8],
                     Sink& sink) {
  const int row = from >> 4, col = from & 15;
  const int colPlace = row - ROW_TOP, rowPlace = col - COL_LEFT;
  const int colPattern = (p.ColBits[col] >> 3) & 1023;
  const int rowPattern = (p.RowBits[row] >> 3) & 1023;
  if constexpr ((Wanted & CAPTURES) != 0) {
    const uint8_t* onColumn = capture[colPlace][colPattern];
    for (int i = 0; i < 2 && onColumn[i] != 0; ++i) {
      const int to = onColumn[i] * 16 + col;
      const int target = p.Board[to];
      if (IsEnemy<Side>(target)) sink(piece, target, from, to);
    }
    const uint8_t* onRow = capture[rowPlace][rowPattern];
    for (int i = 0; i < 2 && onRow[i] != 0; ++i) {
      const int to = row * 16 + onRow[i];
      const int target = p.Board[to];
      if (IsEnemy<Side>(target)) sink(piece, target, from, to);
    }
  }
  if constexpr ((Wanted & QUIETS) != 0) {
    const uint8_t* onColumn = quietColumn[colPlace][colPattern];
    for (int i = 0; i < 9 && onColumn[i] != 0; ++i) sink(piece, 0, from, onColumn[i] * 16 + col);
    const uint8_t* onRow = quietRow[rowPlace][rowPattern];
    for (int i = 0; i < 8 && onRow[i] != 0; ++i) sink(piece, 0, from, row * 16 + onRow[i]);
  }
}

// Chariots, then cannons.
template <int Wanted, int Side, class Sink>
inline void WalkLinePieces(const CPosition& p, Sink& sink) {
  constexpr int base = Side == RED ? 0 : 16;
  for (int id = base + 1; id <= base + 2; ++id) {
    if (p.PieceSquare[id].IsNone()) continue;
    WalkLine<Wanted, Side>(p, id, p.PieceSquare[id].Index(), ChariotCaptureLine, ChariotQuietColumn,
                           ChariotQuietRow, sink);
  }
  for (int id = base + 3; id <= base + 4; ++id) {
    if (p.PieceSquare[id].IsNone()) continue;
    WalkLine<Wanted, Side>(p, id, p.PieceSquare[id].Index(), CannonCaptureLine, CannonQuietColumn,
                           CannonQuietRow, sink);
  }
}

// Horses, advisors, elephants, pawns, then the king.
template <int Wanted, int Side, class Sink>
inline void WalkStepPieces(const CPosition& p, Sink& sink) {
  constexpr int base = Side == RED ? 0 : 16;
  const int32_t* board = p.Board;
  for (int id = base + 5; id <= base + 6; ++id) {  // horses
    if (p.PieceSquare[id].IsNone()) continue;
    const int from = p.PieceSquare[id].Index();
    WalkList<Wanted, Side>(p, id, from, HorseMoves[from][HorseLegMask(board, from)], sink);
  }
  for (int id = base + 7; id <= base + 8; ++id) {  // advisors
    if (p.PieceSquare[id].IsNone()) continue;
    const int from = p.PieceSquare[id].Index();
    WalkList<Wanted, Side>(p, id, from, AdvisorMoves[from], sink);
  }
  for (int id = base + 9; id <= base + 10; ++id) {  // elephants
    if (p.PieceSquare[id].IsNone()) continue;
    const int from = p.PieceSquare[id].Index();
    WalkList<Wanted, Side>(p, id, from, ElephantMoves[from][ElephantEyeMask(board, from)], sink);
  }
  for (int id = base + 11; id <= base + 15; ++id) {  // pawns
    if (p.PieceSquare[id].IsNone()) continue;
    const int from = p.PieceSquare[id].Index();
    WalkList<Wanted, Side>(p, id, from, PawnMoves[Side][from], sink);
  }
  const int king = base + 16;
  if (p.PieceSquare[king].IsNone()) return;
  const CSquare kingAt = p.PieceSquare[king];
  const int from = kingAt.Index();
  WalkList<Wanted, Side>(p, king, from, KingMoves[from], sink);
  if constexpr ((Wanted & CAPTURES) != 0) {
    const int enemyKing = EnemyKing[Side];
    const CSquare enemyAt = p.PieceSquare[enemyKing];
    if (enemyAt.Col == kingAt.Col &&
        (KingBetweenMask[kingAt.Row * 16 + enemyAt.Row] & p.ColBits[kingAt.Col]) == 0)
      sink(king, enemyKing, from, enemyAt.Index());
  }
}

template <int Wanted, int Side, class Sink>
inline void WalkMoves(const CPosition& p, Sink& sink) {
  WalkLinePieces<Wanted, Side>(p, sink);
  WalkStepPieces<Wanted, Side>(p, sink);
}

}  // namespace movewalk
