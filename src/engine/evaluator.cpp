// The evaluator's dispatch and the king-and-check handling both models share.
#include "engine/evaluator.h"

#include <algorithm>
#include <cstdlib>

#include "engine/score.h"
#include "rules/move_rules.h"
#include "rules/square_attack.h"

int CEvaluator::EvaluatePosition(CPosition& position, int redToMove, int ply) {
  return EvalModel == EVAL_MODEL_ANN ? EvaluateAnn(position, redToMove, ply)
                                     : EvaluateDefault(position, redToMove, ply);
}

int CEvaluator::EvaluateDefault(CPosition& position, int redToMove, int ply) {
  return ScoreWithChecks<EVAL_MODEL_DEFAULT>(position, redToMove, std::clamp(ply, 0, MAX_PLY - 1));
}

int CEvaluator::EvaluateAnn(CPosition& position, int redToMove, int ply) {
  return ScoreWithChecks<EVAL_MODEL_ANN>(position, redToMove, std::clamp(ply, 0, MAX_PLY - 1));
}

namespace {

// Whether a move can change whether the king on the given square is
// attacked. The test reads only the king's row and column and the squares
// within two steps of it (horses, their legs, pawns): a move with both ends
// elsewhere leaves an attacked king attacked.
bool MayChangeAttackOn(const CSquare& king, const CMove& move) {
  auto near = [&](const CSquare& square) {
    return square.Row == king.Row || square.Col == king.Col ||
           (std::abs(square.Row - king.Row) <= 2 && std::abs(square.Col - king.Col) <= 2);
  };
  return near(move.From) || near(move.To);
}

}  // namespace

template <int Model, bool KingCaptureTested>
int CEvaluator::ScoreWithChecks(CPosition& position, int redToMove, int ply) {
  // IsAttackingKing, inlined: it runs at every leaf.
  if constexpr (!KingCaptureTested)
    if (redToMove ? KingAttackedBy<RED>(position) : KingAttackedBy<BLACK>(position)) return MATE_SCORE;
  int inCheck;
  int redSide = 0;
  if constexpr (Model == EVAL_MODEL_ANN) {
    inCheck = IsInCheck(position, redToMove);
  } else {
    // The piece-value model walks every piece anyway; the walk also tells
    // whether the own king is attacked (the kings do not face: the side to
    // move would have captured).
    redSide = WalkPieces(position);
    inCheck = IsTalliedAttacked(redToMove ? RED_KING : BLACK_KING) ? 1 : 0;
  }
  if (inCheck) {
    CMoveList& list = Generator.AllMoves[ply];
    if (ply > EVASION_PLY_LIMIT) {
      // Search the evasions; no legal one leaves -MATE_SCORE.
      GenerateAllMoves(position, redToMove, list);
      const int opponent = redToMove ? 0 : 1;
      const CSquare king = position.PieceSquare[redToMove ? RED_KING : BLACK_KING];
      int best = -MATE_SCORE;
      for (int i = 0; i < list.Count; ++i) {
        const CMove& move = list.Moves[i];
        if (!MayChangeAttackOn(king, move)) continue;  // still in check: no evasion
        position.MakeMove(move);
        if (!IsAttackingKing(position, opponent)) {
          // The reply cannot capture the king: that was just tested.
          const int reply = ScoreWithChecks<Model, true>(position, opponent, ply - 1);
          if (reply == NO_SCORE) {  // the network cannot score: no score here either
            position.UnmakeMove(move);
            return NO_SCORE;
          }
          best = std::max(best, -reply);
        }
        position.UnmakeMove(move);
      }
      return best;
    }
    if (HasNoLegalMove(position, redToMove, list)) return -MATE_SCORE;
  }
  if constexpr (Model == EVAL_MODEL_ANN)
    return StaticAnn(position, redToMove);
  else
    return StaticDefault(redToMove, inCheck, redSide);
}

