#include "rules/move_generator.h"

#include "rules/move_walk.h"

namespace {

// Appends each move to a list.
struct CListSink {
  CMoveList& List;
  void operator()(int piece, int captured, int from, int to) {
    CMove& move = List.Moves[List.Count++];
    move.Piece = piece;
    move.Captured = captured;
    move.From = CSquare {from >> 4, from & 15};
    move.To = CSquare {to >> 4, to & 15};
  }
};

template <int Wanted>
void Generate(const CPosition& position, int redToMove, CMoveList& list) {
  list.Count = 0;
  CListSink sink {list};
  if (redToMove) movewalk::WalkMoves<Wanted, RED>(position, sink);
  else movewalk::WalkMoves<Wanted, BLACK>(position, sink);
}

}  // namespace

void GenerateAllMoves(const CPosition& position, int redToMove, CMoveList& list) {
  Generate<movewalk::ALL>(position, redToMove, list);
}

void GenerateCaptures(const CPosition& position, int redToMove, CMoveList& list) {
  Generate<movewalk::CAPTURES>(position, redToMove, list);
}

void GenerateQuietMoves(const CPosition& position, int redToMove, CMoveList& list) {
  Generate<movewalk::QUIETS>(position, redToMove, list);
}

CMoveGenerator::CMoveGenerator() { BuildMoveTables(); }
