#pragma once
// The placement of the pieces: board contents, where every piece stands, and
// per-row / per-column occupancy masks that the move tables are indexed by.
// The side to move is not stored; callers pass a red-to-move flag
// (1 = red to move, 0 = black).
#include <array>
#include <cstdint>
#include <string>

#include "rules/move.h"
#include "rules/pieces.h"

// Enough for any FEN this program writes.
constexpr int FEN_BUFFER_SIZE = 128;

class CPosition {
 public:
  int32_t Board[256];         // identity on each square, 0 = empty
  CSquare PieceSquare[48];    // square of each identity, (0, 0) when off the board
  uint32_t RowBits[16];       // bit c set when column c of the row is occupied
  uint32_t ColBits[16];       // bit r set when row r of the column is occupied

  // A new position is the start position.
  CPosition();
  CPosition(const CPosition& other) { CopyFrom(other); }
  CPosition& operator=(const CPosition& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  void CopyFrom(const CPosition& other);
  void Clear();

  // Validates and loads a 256-entry identity array; when fen is given, writes
  // the FEN of the loaded position into it (at least FEN_BUFFER_SIZE bytes).
  // 1 on success; 0 leaves the position unchanged.
  int SetFromBoard(const int32_t* board, int redToMove, char* fen = nullptr);
  int SetFromBoard(const std::array<int, 256>& board, int redToMove, char* fen = nullptr) {
    return SetFromBoard(board.data(), redToMove, fen);
  }
  // Parses FEN text; redToMove is written even when loading then fails.
  int SetFromFen(const char* text, int& redToMove);

  // The FEN of this position (board part, then " w - - 0 1" or " b - - 0 1").
  void WriteFen(int redToMove, char* fen) const;
  std::string Fen(int redToMove) const;

  void MakeMove(const CMove& m) {
    const int from = m.From.Index(), to = m.To.Index();
    Board[from] = 0;
    Board[to] = m.Piece;
    PieceSquare[m.Piece] = m.To;
    if (m.Captured != 0) PieceSquare[m.Captured] = CSquare {};
    RowBits[m.From.Row] &= NotBit[m.From.Col];
    ColBits[m.From.Col] &= NotBit[m.From.Row];
    RowBits[m.To.Row] |= Bit[m.To.Col];
    ColBits[m.To.Col] |= Bit[m.To.Row];
  }

  void UnmakeMove(const CMove& m) {
    const int from = m.From.Index(), to = m.To.Index();
    Board[from] = m.Piece;
    Board[to] = m.Captured;
    PieceSquare[m.Piece] = m.From;
    if (m.Captured != 0) {
      PieceSquare[m.Captured] = m.To;
    } else {
      RowBits[m.To.Row] &= NotBit[m.To.Col];
      ColBits[m.To.Col] &= NotBit[m.To.Row];
    }
    RowBits[m.From.Row] |= Bit[m.From.Col];
    ColBits[m.From.Col] |= Bit[m.From.Row];
  }

  // Board contents only; must be undone before any other operation.
  void MakeMoveBoardOnly(const CMove& m) {
    Board[m.From.Index()] = 0;
    Board[m.To.Index()] = m.Piece;
  }
  void UnmakeMoveBoardOnly(const CMove& m) {
    Board[m.From.Index()] = m.Piece;
    Board[m.To.Index()] = m.Captured;
  }

  bool IsOnBoard(int id) const { return !PieceSquare[id].IsNone(); }

  // The smaller of the two sides' piece counts; difference = red - black.
  int CountPieces(int* difference = nullptr) const;

  // Loads into target the left-right mirror of this position. 1/0.
  int MirrorInto(CPosition& target) const;
  // Loads into target this position seen from the other side, colours swapped. 1/0.
  int RotateInto(CPosition& target) const;

  // Same placement in all four members.
  bool SamePlacement(const CPosition& other) const;
};
