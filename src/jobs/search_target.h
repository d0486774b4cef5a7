#pragma once
// Training targets from a search: the piece-value model searches a position
// to a fixed depth, and its score, turned into an expected result through
// the logistic, can be blended with the game's result. The search also gives
// the position at the end of its principal line, the leaf the score was
// taken from, which a network can learn instead of the root (TD-leaf).
#include "rules/position.h"

class CSearchEngine;

struct CSearchJudgement {
  int RedCentipawns = 0;  // the score from red's side; mates are +-30000
  CPosition Leaf;         // the end of the principal line (the root when it has no move)
  int LeafRedToMove = 1;
};

// Searches the engine's own position (engine.Position, side redToMove) with
// the piece-value model, without the book, `depth` iterations deep; the
// engine's settings and evaluation model are put back afterwards. false,
// with the root as the leaf, when the side to move has no move (scored as
// its loss) or the book answered the game's first position (scored level).
bool JudgeBySearch(CSearchEngine& engine, int redToMove, int depth, CSearchJudgement& out);

// The score as an expected result in the band the game results use
// (0.1 black wins .. 0.9 red wins): 0.1 + 0.8 * logistic(centipawns / scale).
float ScoreExpect(int redCentipawns, float scaleCentipawns);

// (1 - weight) * the game's result + weight * the score's expect.
float BlendExpect(float resultExpect, float scoreExpect, float weight);
