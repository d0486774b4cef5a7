#pragma once
// Precomputed destination tables. Filled once by BuildMoveTables(); read-only
// afterwards, so any thread may read them.
//
// Square tables hold square indices (row * 16 + column) in zero-terminated
// lists (0 is never a playable square, so it plays the part of (0, 0)).
// Line tables hold board coordinates (place + 3) along a row or a column.
#include <cstdint>

// Row 3..12 -> 0..9 and column 3..11 -> 0..8; 0 elsewhere.
extern uint8_t RowLineIndex[16];
extern uint8_t ColLineIndex[16];
// Occupancy mask (RowBits / ColBits) -> 10- or 9-bit pattern: (mask >> 3) & 1023.
extern uint16_t PatternIndex[8192];

// [place][pattern][2]: nearest (chariot) / second (cannon) occupied place below,
// then above; when there is none below, the one above takes the first entry.
extern uint8_t ChariotCaptureLine[10][1024][2];
extern uint8_t CannonCaptureLine[10][1024][2];
// Empty places reachable along a column (towards row 3 first, nearest first)
// or a row (towards column 3 first).
extern uint8_t ChariotQuietColumn[10][1024][9];
extern uint8_t CannonQuietColumn[10][1024][9];
extern uint8_t ChariotQuietRow[9][512][8];
extern uint8_t CannonQuietRow[9][512][8];

extern uint8_t PawnMoves[2][256][3];        // [side][square]
extern uint8_t ElephantMoves[256][16][4];   // [square][eye mask]
extern uint8_t AdvisorMoves[256][4];
extern uint8_t HorseMoves[256][16][8];      // [square][leg mask]
extern uint8_t KingMoves[256][4];
// [row1 * 16 + row2]: row bits strictly between a black-palace row and a
// red-palace row (either order); 0 for every other pair.
extern uint32_t KingBetweenMask[256];

// Fills every table; later calls return at once. Thread-safe.
void BuildMoveTables();

// Elephant eye mask at a square: bit 1 up-right, 2 up-left, 4 down-left, 8 down-right.
inline int ElephantEyeMask(const int32_t* board, int sq) {
  return (board[sq - 15] ? 1 : 0) | (board[sq - 17] ? 2 : 0) | (board[sq + 15] ? 4 : 0) |
         (board[sq + 17] ? 8 : 0);
}
// Horse leg mask at a square: bit 1 above, 2 below, 4 left, 8 right.
inline int HorseLegMask(const int32_t* board, int sq) {
  return (board[sq - 16] ? 1 : 0) | (board[sq + 16] ? 2 : 0) | (board[sq - 1] ? 4 : 0) |
         (board[sq + 1] ? 8 : 0);
}
