#pragma once
#include <cstdint>

// A board coordinate; (0, 0) means no square.
struct CSquare {
  int32_t Row = 0;
  int32_t Col = 0;

  bool IsNone() const { return Row == 0 && Col == 0; }
  int Index() const { return Row * 16 + Col; }
  friend bool operator==(const CSquare&, const CSquare&) = default;
};

// One move. Plain values: moves are copied into fixed lists at every node,
// so the type stays trivially copyable.
struct CMove {
  int32_t Piece = 0;     // identity of the moving piece; 0 = no move
  int32_t Captured = 0;  // identity on the destination before the move, 0 if empty
  CSquare From;
  CSquare To;

  // Piece, from square and to square all set.
  bool IsComplete() const { return Piece != 0 && !From.IsNone() && !To.IsNone(); }
  friend bool operator==(const CMove&, const CMove&) = default;
};
