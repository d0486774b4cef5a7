#pragma once
// The test a move read from a game file must pass beyond the notation: the
// mover may not leave its own king attacked.
#include "rules/move_rules.h"

// 1 when the move leaves the mover's king attacked. The position is as it was
// on return.
inline int LeavesKingAttacked(CPosition& position, int redToMove, const CMove& move) {
  position.MakeMove(move);
  const int attacked = IsAttackingKing(position, redToMove ? 0 : 1);
  position.UnmakeMove(move);
  return attacked ? 1 : 0;
}
