#pragma once
// Search scores in the units people read: centipawns, and mates apart.
#include "engine/evaluator.h"
#include "engine/score.h"

// A mate in centipawns, above any material count, for sums and differences.
constexpr int MATE_CENTIPAWNS = 30000;

inline bool IsMateScore(int score) { return score >= MATE_SCORE || score <= -MATE_SCORE; }

// The score of a search in centipawns, same point of view. The piece-value
// model counts a pawn 60 units of 32; the network's score (+-2^27) maps
// onto +-1000, as the protocol session reports it.
inline int ScoreCentipawns(int score, int evalModel) {
  if (score >= MATE_SCORE) return MATE_CENTIPAWNS;
  if (score <= -MATE_SCORE) return -MATE_CENTIPAWNS;
  if (evalModel == EVAL_MODEL_ANN) return static_cast<int>(static_cast<long long>(score) * 1000 / ANN_SCORE_SCALE);
  return static_cast<int>(static_cast<long long>(score) * 100 / (32 * 60));
}

// The moves to a mate found by an iteration of that many plies: an upper
// bound, as the search keeps no distance to mate.
inline int MateMovesWithin(int depth) { return depth < 2 ? 1 : (depth + 1) / 2; }
