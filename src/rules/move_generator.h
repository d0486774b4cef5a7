#pragma once
// Pseudo-legal move generation from the precomputed tables. The generators
// obey how each piece moves but not whether the mover's king is left attacked.
#include "rules/move.h"
#include "rules/position.h"

constexpr int MAX_MOVES = 128;
constexpr int MAX_PLY = 128;

// A caller-owned fixed list; one side never has more than 120 pseudo-legal moves.
struct CMoveList {
  CMove Moves[MAX_MOVES];
  int Count = 0;
};

// Clear the list, then append the side to move's moves in generation order:
// identities in increasing order; per piece its table order (chariot and
// cannon: captures along column, along row, then quiet moves along column,
// along row; king: its steps, then the capture of a facing king).
void GenerateAllMoves(const CPosition& position, int redToMove, CMoveList& list);
void GenerateCaptures(const CPosition& position, int redToMove, CMoveList& list);
void GenerateQuietMoves(const CPosition& position, int redToMove, CMoveList& list);

// Per-ply move lists for a search: a capture list, a quiet list and an
// all-moves list per ply, plus arrays of pointers into them for ordering in
// place. Builds the move tables on construction.
class CMoveGenerator {
 public:
  CMoveGenerator();

  CMoveList Captures[MAX_PLY];
  CMoveList Quiets[MAX_PLY];
  CMoveList AllMoves[MAX_PLY];
  CMove* CapturePointers[MAX_PLY][MAX_MOVES];
  CMove* QuietPointers[MAX_PLY][MAX_MOVES];

  // Point the ply's pointer array at the moves just generated into that
  // ply's capture / quiet list, in list order.
  void ListCaptures(int ply) {
    for (int i = 0; i < Captures[ply].Count; ++i) CapturePointers[ply][i] = &Captures[ply].Moves[i];
  }
  void ListQuietMoves(int ply) {
    for (int i = 0; i < Quiets[ply].Count; ++i) QuietPointers[ply][i] = &Quiets[ply].Moves[i];
  }
};
