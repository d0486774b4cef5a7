#pragma once
// Whether a side's pieces reach a king, tested outward from the king's square
// with the same tables the pieces move by: a chariot reaches the king exactly
// when it is the nearest piece on a shared line, a cannon when it is the
// second, a horse when it stands a horse step away with its leg square empty,
// a pawn when the king is in its destination list, and the other king when
// the column between them is empty. Advisors and elephants never reach a king.
#include <cstdint>

#include "rules/move_tables.h"
#include "rules/position.h"

// Is the piece with this identity of the attacker's kind range: identity - first < count.
template <int Attacker>
inline bool IdIn(int id, int firstOffset, unsigned count) {
  return static_cast<unsigned>(id - (Attacker == RED ? 0 : 16) - firstOffset) < count;
}

// Chariots (identities 1, 2 of the side) as the nearest piece, cannons (3, 4)
// as the second piece, along the column of (row, col), and the attacker's
// king facing it.
template <int Attacker>
inline bool ColumnAttack(const CPosition& p, int row, int col) {
  const int32_t* board = p.Board;
  const int pattern = (p.ColBits[col] >> 3) & 1023;
  const uint8_t* near = ChariotCaptureLine[row - ROW_TOP][pattern];
  if (IdIn<Attacker>(board[near[0] * 16 + col], 1, 2) || IdIn<Attacker>(board[near[1] * 16 + col], 1, 2)) return true;
  const uint8_t* far = CannonCaptureLine[row - ROW_TOP][pattern];
  if (IdIn<Attacker>(board[far[0] * 16 + col], 3, 2) || IdIn<Attacker>(board[far[1] * 16 + col], 3, 2)) return true;
  const CSquare king = p.PieceSquare[Attacker == RED ? RED_KING : BLACK_KING];
  return king.Col == col && (KingBetweenMask[king.Row * 16 + row] & p.ColBits[col]) == 0;
}

// Chariots and cannons along the row of (row, col).
template <int Attacker>
inline bool RowAttack(const CPosition& p, int row, int col) {
  const int32_t* board = p.Board;
  const int pattern = (p.RowBits[row] >> 3) & 1023;
  const uint8_t* near = ChariotCaptureLine[col - COL_LEFT][pattern];
  if (IdIn<Attacker>(board[row * 16 + near[0]], 1, 2) || IdIn<Attacker>(board[row * 16 + near[1]], 1, 2)) return true;
  const uint8_t* far = CannonCaptureLine[col - COL_LEFT][pattern];
  return IdIn<Attacker>(board[row * 16 + far[0]], 3, 2) || IdIn<Attacker>(board[row * 16 + far[1]], 3, 2);
}

// The two horses (5, 6) whose way to sq runs through the diagonal neighbour
// leg of sq: beyond the leg, one row further or one column further.
template <int Attacker>
inline bool HorseThroughLeg(const int32_t* board, int sq, int leg) {
  if (board[leg] != 0) return false;
  const int step = leg - sq;                     // +-15 or +-17
  const int rowStep = step > 0 ? 16 : -16;       // the row part of the step
  const int colStep = step - rowStep;            // the column part
  return IdIn<Attacker>(board[leg + rowStep], 5, 2) || IdIn<Attacker>(board[leg + colStep], 5, 2);
}

template <int Attacker>
inline bool HorseAttack(const int32_t* board, int sq) {
  return HorseThroughLeg<Attacker>(board, sq, sq - 17) || HorseThroughLeg<Attacker>(board, sq, sq - 15) ||
         HorseThroughLeg<Attacker>(board, sq, sq + 15) || HorseThroughLeg<Attacker>(board, sq, sq + 17);
}

template <int N>
inline bool ListHas(const uint8_t (&list)[N], int value) {
  for (int i = 0; i < N && list[i] != 0; ++i)
    if (list[i] == value) return true;
  return false;
}

template <int Attacker>
inline bool PawnAttack(const int32_t* board, int sq) {
  // Pawns (11..15) reach a square from behind it (as they move) or beside it.
  constexpr int behind = Attacker == RED ? 16 : -16;
  for (const int from : {sq + behind, sq - 1, sq + 1})
    if (IdIn<Attacker>(board[from], 11, 5) && ListHas(PawnMoves[Attacker][from], sq)) return true;
  return false;
}

// Does the attacker reach the king standing at (row, col)?
template <int Attacker>
inline bool KingSquareAttacked(const CPosition& p, int row, int col) {
  const int sq = row * 16 + col;
  return ColumnAttack<Attacker>(p, row, col) || RowAttack<Attacker>(p, row, col) ||
         HorseAttack<Attacker>(p.Board, sq) || PawnAttack<Attacker>(p.Board, sq);
}

// Does the attacker reach the other side's king? False when that king is off the board.
template <int Attacker>
inline bool KingAttackedBy(const CPosition& p) {
  const CSquare king = p.PieceSquare[EnemyKing[Attacker]];
  if (king.IsNone()) return false;
  return KingSquareAttacked<Attacker>(p, king.Row, king.Col);
}
