#pragma once
// Board geometry, sides, piece kinds and the fixed piece identities.
//
// The board is a 16 x 16 mailbox; square = row * 16 + column. Playable rows
// are 3..12 (row 3 is black's back rank) and columns 3..11. Each piece keeps
// one identity 1..32 for its whole life (red 1..16, black 17..32); 0 is an
// empty square and 33..47 are never used.
#include <array>
#include <cstdint>

constexpr int RED = 0;
constexpr int BLACK = 1;
constexpr int NO_SIDE = 9;

constexpr int KIND_NONE = 0;
constexpr int PAWN = 1;
constexpr int ELEPHANT = 2;
constexpr int ADVISOR = 3;
constexpr int HORSE = 4;
constexpr int CANNON = 5;
constexpr int CHARIOT = 6;
constexpr int KING = 7;

constexpr int RED_KING = 16;
constexpr int BLACK_KING = 32;

constexpr int ROW_TOP = 3;
constexpr int ROW_BOTTOM = 12;
constexpr int COL_LEFT = 3;
constexpr int COL_RIGHT = 11;

constexpr int SquareOf(int row, int col) { return row * 16 + col; }
constexpr int RowOf(int square) { return square >> 4; }
constexpr int ColOf(int square) { return square & 15; }
constexpr bool IsPlayable(int row, int col) {
  return row >= ROW_TOP && row <= ROW_BOTTOM && col >= COL_LEFT && col <= COL_RIGHT;
}

inline constexpr std::array<int, 48> PieceKind = {
    0,                                               // empty
    6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 1, 1, 1, 7,  // red 1..16
    6, 6, 5, 5, 4, 4, 3, 3, 2, 2, 1, 1, 1, 1, 1, 7,  // black 17..32
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

inline constexpr std::array<int, 48> PieceSide = {
    9,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};

// FEN letter by identity; uppercase is red.
inline constexpr char PieceLetter[49] = " RRCCNNAABBPPPPPKrrccnnaabbpppppk               ";

// First and last identity of a kind and side: KindIdRange[kind][side][0..1].
inline constexpr int KindIdRange[8][2][2] = {
    {{0, 0}, {0, 0}},     {{11, 15}, {27, 31}}, {{9, 10}, {25, 26}}, {{7, 8}, {23, 24}},
    {{5, 6}, {21, 22}},   {{3, 4}, {19, 20}},   {{1, 2}, {17, 18}},  {{16, 16}, {32, 32}}};

inline constexpr int SideIdRange[2][2] = {{1, 16}, {17, 32}};
// The king a side attacks: red attacks 32, black attacks 16.
inline constexpr int EnemyKing[2] = {32, 16};

// The identity that takes a piece's place when the board is mirrored left to right.
inline constexpr std::array<int, 48> MirrorPiece = {
    0,
    2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 15, 14, 13, 12, 11, 16,
    18, 17, 20, 19, 22, 21, 24, 23, 26, 25, 31, 30, 29, 28, 27, 32,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Red identity n <-> black identity n + 16.
inline constexpr std::array<int, 48> SwapColourPiece = [] {
  std::array<int, 48> table {};
  for (int id = 1; id <= 16; ++id) {
    table[id] = id + 16;
    table[id + 16] = id;
  }
  return table;
}();

inline constexpr std::array<int, 16> MirrorCol = {0, 0, 0, 11, 10, 9, 8, 7, 6, 5, 4, 3, 0, 0, 0, 0};
inline constexpr std::array<int, 16> MirrorRow = {0, 0, 0, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 0, 0, 0};

inline constexpr std::array<int, 256> EmptyBoard {};

inline constexpr std::array<int, 256> InitialBoard = [] {
  std::array<int, 256> board {};
  const int blackBack[9] = {17, 21, 25, 23, 32, 24, 26, 22, 18};
  const int redBack[9] = {2, 6, 10, 8, 16, 7, 9, 5, 1};
  for (int c = 0; c < 9; ++c) {
    board[SquareOf(3, 3 + c)] = blackBack[c];
    board[SquareOf(12, 3 + c)] = redBack[c];
  }
  board[SquareOf(5, 4)] = 19;
  board[SquareOf(5, 10)] = 20;
  board[SquareOf(10, 4)] = 4;
  board[SquareOf(10, 10)] = 3;
  const int blackPawns[5] = {27, 28, 29, 30, 31};
  const int redPawns[5] = {15, 14, 13, 12, 11};
  for (int i = 0; i < 5; ++i) {
    board[SquareOf(6, 3 + 2 * i)] = blackPawns[i];
    board[SquareOf(9, 3 + 2 * i)] = redPawns[i];
  }
  return board;
}();

namespace detail {
constexpr bool InPalace(int side, int row, int col) {
  const bool rows = side == RED ? (row >= 10 && row <= 12) : (row >= 3 && row <= 5);
  return rows && col >= 6 && col <= 8;
}
constexpr bool IsAdvisorPoint(int side, int row, int col) {
  if (!InPalace(side, row, col)) return false;
  const int top = side == RED ? 10 : 3;
  const int r = row - top, c = col - 6;
  return (r + c) % 2 == 0;  // corners and centre
}
constexpr bool IsElephantPoint(int side, int row, int col) {
  constexpr int red[7][2] = {{8, 5}, {8, 9}, {10, 3}, {10, 7}, {10, 11}, {12, 5}, {12, 9}};
  for (const auto& p : red) {
    const int r = side == RED ? p[0] : 15 - p[0];
    if (r == row && p[1] == col) return true;
  }
  return false;
}
constexpr bool CanStandAt(int kind, int side, int row, int col) {
  if (!IsPlayable(row, col)) return false;
  switch (kind) {
    case CHARIOT:
    case CANNON:
    case HORSE:
      return true;
    case ADVISOR:
      return IsAdvisorPoint(side, row, col);
    case ELEPHANT:
      return IsElephantPoint(side, row, col);
    case KING:
      return InPalace(side, row, col);
    case PAWN:
      if (side == RED) return row <= 7 || (row <= 9 && col % 2 == 1);
      return row >= 8 || (row >= 6 && col % 2 == 1);
    default:
      return false;
  }
}
}  // namespace detail

// CanStand[kind][side][square]: 1 where such a piece may legally stand.
inline constexpr auto CanStand = [] {
  std::array<std::array<std::array<uint8_t, 256>, 2>, 8> table {};
  for (int kind = 1; kind <= 7; ++kind)
    for (int side = 0; side < 2; ++side)
      for (int sq = 0; sq < 256; ++sq)
        table[kind][side][sq] = detail::CanStandAt(kind, side, RowOf(sq), ColOf(sq)) ? 1 : 0;
  return table;
}();

inline constexpr auto Bit = [] {
  std::array<uint32_t, 32> table {};
  for (int i = 0; i < 32; ++i) table[i] = 1u << i;
  return table;
}();

inline constexpr auto NotBit = [] {
  std::array<uint32_t, 32> table {};
  for (int i = 0; i < 32; ++i) table[i] = ~(1u << i);
  return table;
}();
