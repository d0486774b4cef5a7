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

template <int Attacker>
inline bool LineAttack(const CPosition& p, int row, int col) {
  const int32_t* board = p.Board;
  const int colPattern = (p.ColBits[col] >> 3) & 1023;
  const int rowPattern = (p.RowBits[row] >> 3) & 1023;
  const int colPlace = row - ROW_TOP, rowPlace = col - COL_LEFT;
  // Chariots (identities 1, 2 of the side): nearest piece along each line.
  const uint8_t* near = ChariotCaptureLine[colPlace][colPattern];
  if (IdIn<Attacker>(board[near[0] * 16 + col], 1, 2) || IdIn<Attacker>(board[near[1] * 16 + col], 1, 2)) return true;
  near = ChariotCaptureLine[rowPlace][rowPattern];
  if (IdIn<Attacker>(board[row * 16 + near[0]], 1, 2) || IdIn<Attacker>(board[row * 16 + near[1]], 1, 2)) return true;
  // Cannons (3, 4): second piece along each line.
  const uint8_t* far = CannonCaptureLine[colPlace][colPattern];
  if (IdIn<Attacker>(board[far[0] * 16 + col], 3, 2) || IdIn<Attacker>(board[far[1] * 16 + col], 3, 2)) return true;
  far = CannonCaptureLine[rowPlace][rowPattern];
  if (IdIn<Attacker>(board[row * 16 + far[0]], 3, 2) || IdIn<Attacker>(board[row * 16 + far[1]], 3, 2)) return true;
  return false;
}

template <int Attacker>
inline bool HorseAttack(const int32_t* board, int sq) {
  // Each diagonal neighbour is the leg of the two horse squares beyond it.
  if (board[sq - 17] == 0 && (IdIn<Attacker>(board[sq - 33], 5, 2) || IdIn<Attacker>(board[sq - 18], 5, 2))) return true;
  if (board[sq - 15] == 0 && (IdIn<Attacker>(board[sq - 31], 5, 2) || IdIn<Attacker>(board[sq - 14], 5, 2))) return true;
  if (board[sq + 15] == 0 && (IdIn<Attacker>(board[sq + 31], 5, 2) || IdIn<Attacker>(board[sq + 14], 5, 2))) return true;
  if (board[sq + 17] == 0 && (IdIn<Attacker>(board[sq + 33], 5, 2) || IdIn<Attacker>(board[sq + 18], 5, 2))) return true;
  return false;
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
  if (LineAttack<Attacker>(p, row, col)) return true;
  if (HorseAttack<Attacker>(p.Board, sq)) return true;
  if (PawnAttack<Attacker>(p.Board, sq)) return true;
  const CSquare other = p.PieceSquare[Attacker == RED ? RED_KING : BLACK_KING];
  return other.Col == col && (KingBetweenMask[other.Row * 16 + row] & p.ColBits[col]) == 0;
}

// Does the attacker reach the other side's king? False when that king is off the board.
template <int Attacker>
inline bool KingAttackedBy(const CPosition& p) {
  const CSquare king = p.PieceSquare[EnemyKing[Attacker]];
  if (king.IsNone()) return false;
  return KingSquareAttacked<Attacker>(p, king.Row, king.Col);
}
