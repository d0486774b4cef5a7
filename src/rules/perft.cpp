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

  // Leaving this square may expose the king (or the king is in check).
  bool FromNeedsTest(int from) const {
    if (TestAll) return true;
    const int fromRow = from >> 4, fromCol = from & 15;
    if (fromRow == KingRow || fromCol == KingCol) return true;
    const int dr = fromRow - KingRow, dc = fromCol - KingCol;
    return (dr == 1 || dr == -1) && (dc == 1 || dc == -1);
  }

  bool NeedsTest(int piece, int captured, int from, int to) const {
    if (piece == OwnKing || FromNeedsTest(from)) return true;
    return captured == 0 && ((to >> 4) == KingRow || (to & 15) == KingCol);
  }

  // With the move already made: is the mover's king attacked? Out of check,
  // only the lines and the horse leg the move touched can have changed.
  bool AttackedAfter(const CPosition& p, int piece, int captured, int from, int to) const {
    if (piece == OwnKing) return KingSquareAttacked<Enemy>(p, to >> 4, to & 15);
    if (TestAll) return KingSquareAttacked<Enemy>(p, KingRow, KingCol);
    const int fromRow = from >> 4, fromCol = from & 15;
    if ((fromCol == KingCol || (captured == 0 && (to & 15) == KingCol)) && ColumnAttack<Enemy>(p, KingRow, KingCol))
      return true;
    if ((fromRow == KingRow || (captured == 0 && (to >> 4) == KingRow)) && RowAttack<Enemy>(p, KingRow, KingCol))
      return true;
    const int dr = fromRow - KingRow, dc = fromCol - KingCol;
    return (dr == 1 || dr == -1) && (dc == 1 || dc == -1) && HorseThroughLeg<Enemy>(p.Board, KingRow * 16 + KingCol, from);
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
      const bool attacked = Guard.AttackedAfter(Position, piece, captured, from, to);
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
      const bool attacked = Guard.AttackedAfter(Position, piece, captured, from, to);
      Position.UnmakeMove(move);
      if (attacked) return;
    }
    List.Moves[List.Count++] = move;
  }
};

// The empty run along a line through a place: the nearest occupied
// coordinates below and above (edge - 1 / edge + 1 when there is none), read
// from the chariot capture table.
struct CRun {
  int Low, High;
};
inline CRun EmptyRun(const uint8_t (&nearest)[2], int at, int lowEdge, int highEdge) {
  CRun run {lowEdge - 1, highEdge + 1};
  for (const uint8_t e : nearest) {
    if (e == 0) break;
    if (e < at) run.Low = e;
    else run.High = e;
  }
  return run;
}

// Quiet moves of a chariot or cannon counted in bulk. When its square is not
// on the king's lines, of all its quiet destinations only the one on the
// king's row (moving along the column) and the one on the king's column
// (moving along the row) can expose the king; only those are tested.
template <int Side>
void CountLineQuiets(CPosition& p, const CKingGuard<Side>& guard, CLegalCounter<Side>& counter, int piece,
                     int from) {
  const int row = from >> 4, col = from & 15;
  const CRun column = EmptyRun(ChariotCaptureLine[row - ROW_TOP][(p.ColBits[col] >> 3) & 1023], row, ROW_TOP, ROW_BOTTOM);
  const CRun across = EmptyRun(ChariotCaptureLine[col - COL_LEFT][(p.RowBits[row] >> 3) & 1023], col, COL_LEFT, COL_RIGHT);
  counter.Count += static_cast<uint64_t>((column.High - column.Low - 2) + (across.High - across.Low - 2));
  if (!guard.HasKing) return;
  if (guard.KingRow > column.Low && guard.KingRow < column.High) {
    --counter.Count;
    counter(piece, 0, from, guard.KingRow * 16 + col);
  }
  if (guard.KingCol > across.Low && guard.KingCol < across.High) {
    --counter.Count;
    counter(piece, 0, from, row * 16 + guard.KingCol);
  }
}

// Legal moves counted without storing them (order does not matter here).
template <int Side>
uint64_t CountLegalMoves(CPosition& p, const CKingGuard<Side>& guard) {
  CLegalCounter<Side> counter {p, guard};
  constexpr int base = Side == RED ? 0 : 16;
  for (int id = base + 1; id <= base + 4; ++id) {  // chariots, cannons
    if (p.PieceSquare[id].IsNone()) continue;
    const int from = p.PieceSquare[id].Index();
    const bool chariot = id <= base + 2;
    if (chariot)
      movewalk::WalkLine<movewalk::CAPTURES, Side>(p, id, from, ChariotCaptureLine, ChariotQuietColumn,
                                                    ChariotQuietRow, counter);
    else
      movewalk::WalkLine<movewalk::CAPTURES, Side>(p, id, from, CannonCaptureLine, CannonQuietColumn,
                                                    CannonQuietRow, counter);
    if (guard.HasKing && guard.FromNeedsTest(from))
      movewalk::WalkLine<movewalk::QUIETS, Side>(p, id, from, ChariotCaptureLine, ChariotQuietColumn,
                                                  ChariotQuietRow, counter);
    else
      CountLineQuiets(p, guard, counter, id, from);
  }
  movewalk::WalkStepPieces<movewalk::ALL, Side>(p, counter);
  return counter.Count;
}

template <int Side>
uint64_t PerftNode(CPosition& p, int depth) {
  const CKingGuard<Side> guard(p);
  if (depth == 1) return CountLegalMoves(p, guard);
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
