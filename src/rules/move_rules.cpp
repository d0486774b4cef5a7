#include "rules/move_rules.h"

#include "rules/move_tables.h"
#include "rules/square_attack.h"

namespace {

template <int N>
bool InList(const uint8_t (&list)[N], int value) {
  for (int i = 0; i < N && list[i] != 0; ++i)
    if (list[i] == value) return true;
  return false;
}

bool InLine(const uint8_t* list, int n, int value) {
  for (int i = 0; i < n && list[i] != 0; ++i)
    if (list[i] == value) return true;
  return false;
}

bool KingsOpenOnColumn(const CPosition& p, const CSquare& a, const CSquare& b) {
  return a.Col == b.Col && (KingBetweenMask[a.Row * 16 + b.Row] & p.ColBits[a.Col]) == 0;
}

// The movement rules for a piece of the given side going from -> to, where
// captured is what stands on the destination.
int ObeysMovement(const CPosition& p, int side, int piece, const CSquare& from, const CSquare& to, int captured) {
  if (captured != 0 && PieceSide[captured] == side) return 0;
  const int f = from.Index(), t = to.Index();
  switch (PieceKind[piece]) {
    case PAWN:
      return InList(PawnMoves[side][f], t) ? 1 : 0;
    case ELEPHANT:
      return InList(ElephantMoves[f][ElephantEyeMask(p.Board, f)], t) ? 1 : 0;
    case ADVISOR:
      return InList(AdvisorMoves[f], t) ? 1 : 0;
    case HORSE:
      return InList(HorseMoves[f][HorseLegMask(p.Board, f)], t) ? 1 : 0;
    case KING:
      if (InList(KingMoves[f], t)) return 1;
      return captured == EnemyKing[side] && KingsOpenOnColumn(p, from, to) ? 1 : 0;
    case CHARIOT:
    case CANNON: {
      const bool chariot = PieceKind[piece] == CHARIOT;
      if (from.Col == to.Col) {
        const int place = from.Row - ROW_TOP, pattern = (p.ColBits[from.Col] >> 3) & 1023;
        if (captured != 0)
          return InLine(chariot ? ChariotCaptureLine[place][pattern] : CannonCaptureLine[place][pattern], 2, to.Row);
        return InLine(chariot ? ChariotQuietColumn[place][pattern] : CannonQuietColumn[place][pattern], 9, to.Row);
      }
      if (from.Row == to.Row) {
        const int place = from.Col - COL_LEFT, pattern = (p.RowBits[from.Row] >> 3) & 1023;
        if (captured != 0)
          return InLine(chariot ? ChariotCaptureLine[place][pattern] : CannonCaptureLine[place][pattern], 2, to.Col);
        return InLine(chariot ? ChariotQuietRow[place][pattern] : CannonQuietRow[place][pattern], 8, to.Col);
      }
      return 0;
    }
    default:
      return 0;
  }
}

// A mover's piece identity of the side to move.
bool IsMoversPiece(int piece, int redToMove) {
  return piece >= 1 && piece <= 32 && PieceSide[piece] == (redToMove ? RED : BLACK);
}

}  // namespace

int IsPseudoLegal(const CPosition& position, int redToMove, const CMove& move) {
  // Squares off the playable board never hold a piece and are never listed,
  // so refusing them first changes no answer and keeps every index in range.
  if (!IsMoversPiece(move.Piece, redToMove)) return 0;
  if (!IsPlayable(move.From.Row, move.From.Col) || !IsPlayable(move.To.Row, move.To.Col)) return 0;
  if (position.Board[move.From.Index()] != move.Piece) return 0;
  if (position.Board[move.To.Index()] != move.Captured) return 0;
  return ObeysMovement(position, redToMove ? RED : BLACK, move.Piece, move.From, move.To, move.Captured);
}

int CanMoveTo(const CPosition& position, int redToMove, int piece, const CSquare& target) {
  if (!IsMoversPiece(piece, redToMove) || !position.IsOnBoard(piece)) return 0;
  if (!IsPlayable(target.Row, target.Col)) return 0;
  const CSquare from = position.PieceSquare[piece];
  return ObeysMovement(position, redToMove ? RED : BLACK, piece, from, target, position.Board[target.Index()]);
}

int IsAttackingKing(const CPosition& position, int attackerIsRed) {
  return attackerIsRed ? (KingAttackedBy<RED>(position) ? 1 : 0) : (KingAttackedBy<BLACK>(position) ? 1 : 0);
}

int HasNoLegalMove(CPosition& position, int redToMove, CMoveList& list) {
  GenerateAllMoves(position, redToMove, list);
  const int opponentIsRed = redToMove ? 0 : 1;
  for (int i = 0; i < list.Count; ++i) {
    const CMove& move = list.Moves[i];
    position.MakeMove(move);
    const int attacked = IsAttackingKing(position, opponentIsRed);
    position.UnmakeMove(move);
    if (!attacked) return 0;
  }
  return 1;
}

int KingStatus(const CPosition& position, int redToMove) {
  // The red king is looked at first, so a board without either king is a
  // loss for red to move and a win for black to move.
  if (!position.IsOnBoard(RED_KING)) return redToMove ? -KING_WIN_SCORE : KING_WIN_SCORE;
  if (!position.IsOnBoard(BLACK_KING)) return redToMove ? KING_WIN_SCORE : -KING_WIN_SCORE;
  return KingsFace(position) ? KING_WIN_SCORE : 0;
}

int KingsFace(const CPosition& position) {
  if (!position.IsOnBoard(RED_KING) || !position.IsOnBoard(BLACK_KING)) return 0;
  return KingsOpenOnColumn(position, position.PieceSquare[RED_KING], position.PieceSquare[BLACK_KING]) ? 1 : 0;
}
