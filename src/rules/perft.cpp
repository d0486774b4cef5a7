#include "rules/perft.h"

#include "rules/move_tables.h"
#include "rules/move_walk.h"
#include "rules/square_attack.h"

namespace {

// Decides legality with as few attack tests as possible. When the king is not
// in check now, a move can only expose it by moving the king, by emptying a
// square on the king's row or column (chariot, cannon or facing-king lines)
// or diagonally next to it (a horse's leg), or by filling an empty square on
// the king's lines (a new cannon screen). Everything else is legal untested.
template <int Side>
struct CKingGuard {
  static constexpr int Enemy = 1 - Side;
  static constexpr int OwnKing = Side == RED ? RED_KING : BLACK_KING;
  int KingRow = 0, KingCol = 0;
  bool TestAll = false;  // in check now: every move is tested
  bool HasKing = false;

  explicit CKingGuard(const CPosition& p) {
    const CSquare king = p.PieceSquare[OwnKing];
    HasKing = !king.IsNone();
    if (!HasKing) return;
    KingRow = king.Row;
    KingCol = king.Col;
    TestAll = KingSquareAttacked<Enemy>(p, KingRow, KingCol);
  }

  bool NeedsTest(int piece, int captured, int from, int to) const {
    if (TestAll || piece == OwnKing) return true;
    const int fromRow = from >> 4, fromCol = from & 15;
    if (fromRow == KingRow || fromCol == KingCol) return true;
    const int dr = fromRow - KingRow, dc = fromCol - KingCol;
    if ((dr == 1 || dr == -1) && (dc == 1 || dc == -1)) return true;
    return captured == 0 && ((to >> 4) == KingRow || (to & 15) == KingCol);
  }

  // With the move already made: is the mover's king attacked?
  bool AttackedAfter(const CPosition& p, int piece, int to) const {
    if (piece == OwnKing) return KingSquareAttacked<Enemy>(p, to >> 4, to & 15);
    return KingSquareAttacked<Enemy>(p, KingRow, KingCol);
  }
};

CMove MakeMoveRecord(int piece, int captured, int from, int to) {
  CMove move;
  move.Piece = piece;
  move.Captured = captured;
  move.From = CSquare {from >> 4, from & 15};
  move.To = CSquare {to >> 4, to & 15};
  return move;
}

// Counts the legal moves without storing them.
template <int Side>
struct CLegalCounter {
  CPosition& Position;
  const CKingGuard<Side>& Guard;
  uint64_t Count = 0;

  void operator()(int piece, int captured, int from, int to) {
    if (Guard.HasKing && Guard.NeedsTest(piece, captured, from, to)) {
      const CMove move = MakeMoveRecord(piece, captured, from, to);
      Position.MakeMove(move);
      const bool attacked = Guard.AttackedAfter(Position, piece, to);
      Position.UnmakeMove(move);
      if (attacked) return;
    }
    ++Count;
  }
};

// Stores the legal moves.
template <int Side>
struct CLegalLister {
  CPosition& Position;
  const CKingGuard<Side>& Guard;
  CMoveList& List;

  void operator()(int piece, int captured, int from, int to) {
    const CMove move = MakeMoveRecord(piece, captured, from, to);
    if (Guard.HasKing && Guard.NeedsTest(piece, captured, from, to)) {
      Position.MakeMove(move);
      const bool attacked = Guard.AttackedAfter(Position, piece, to);
      Position.UnmakeMove(move);
      if (attacked) return;
    }
    List.Moves[List.Count++] = move;
  }
};

template <int Side>
uint64_t PerftNode(CPosition& p, int depth) {
  const CKingGuard<Side> guard(p);
  if (depth == 1) {
    CLegalCounter<Side> counter {p, guard};
    movewalk::WalkMoves<movewalk::ALL, Side>(p, counter);
    return counter.Count;
  }
  CMoveList list;
  CLegalLister<Side> lister {p, guard, list};
  movewalk::WalkMoves<movewalk::ALL, Side>(p, lister);
  uint64_t nodes = 0;
  for (int i = 0; i < list.Count; ++i) {
    p.MakeMove(list.Moves[i]);
    nodes += PerftNode<1 - Side>(p, depth - 1);
    p.UnmakeMove(list.Moves[i]);
  }
  return nodes;
}

}  // namespace

uint64_t Perft(CPosition& position, int redToMove, int depth) {
  BuildMoveTables();
  if (depth <= 0) return 1;
  return redToMove ? PerftNode<RED>(position, depth) : PerftNode<BLACK>(position, depth);
}

void GenerateLegalMoves(CPosition& position, int redToMove, CMoveList& list) {
  BuildMoveTables();
  list.Count = 0;
  if (redToMove) {
    const CKingGuard<RED> guard(position);
    CLegalLister<RED> lister {position, guard, list};
    movewalk::WalkMoves<movewalk::ALL, RED>(position, lister);
  } else {
    const CKingGuard<BLACK> guard(position);
    CLegalLister<BLACK> lister {position, guard, list};
    movewalk::WalkMoves<movewalk::ALL, BLACK>(position, lister);
  }
}
