#pragma once
// Rule tests on top of the move tables. They never change the position except
// for make/unmake pairs undone before returning.
#include "rules/move.h"
#include "rules/move_generator.h"
#include "rules/position.h"

// Win and loss scores of the terminal test (the search's MATE_SCORE).
constexpr int KING_WIN_SCORE = 536870912;

// 1 when the move is consistent with the position and obeys the movement rules.
int IsPseudoLegal(const CPosition& position, int redToMove, const CMove& move);
// 1 when the piece may move to the target by the movement rules.
int CanMoveTo(const CPosition& position, int redToMove, int piece, const CSquare& target);
// 1 when some piece of the attacking side could capture the other king now.
int IsAttackingKing(const CPosition& position, int attackerIsRed);
// 1 when the side to move is attacked.
inline int IsInCheck(const CPosition& position, int redToMove) {
  return IsAttackingKing(position, redToMove ? 0 : 1);
}
// 1 when every pseudo-legal move of the side to move leaves its king attacked
// (or it has none). Uses the given list as scratch.
int HasNoLegalMove(CPosition& position, int redToMove, CMoveList& list);
// +KING_WIN_SCORE when the side to move wins outright (enemy king missing or
// facing kings), -KING_WIN_SCORE when its own king is missing, else 0.
int KingStatus(const CPosition& position, int redToMove);
// 1 when the kings stand on one column with nothing between them.
int KingsFace(const CPosition& position);
