#include "jobs/search_target.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/principal_line.h"
#include "engine/score_units.h"
#include "engine/search_engine.h"

namespace {

// The engine's settings as they were, put back however the search ends.
struct CSettingsRestore {
  CSearchEngine& Engine;
  int32_t UseBook, MaxDepth, MaxIterTime, MaxSearchTime, EvalModel;
  uint64_t MaxNodes;
  explicit CSettingsRestore(CSearchEngine& engine)
      : Engine(engine), UseBook(engine.UseBook), MaxDepth(engine.MaxDepth), MaxIterTime(engine.MaxIterTime),
        MaxSearchTime(engine.MaxSearchTime), EvalModel(engine.Evaluator.EvalModel), MaxNodes(engine.MaxNodes) {}
  ~CSettingsRestore() {
    Engine.UseBook = UseBook;
    Engine.MaxDepth = MaxDepth;
    Engine.MaxIterTime = MaxIterTime;
    Engine.MaxSearchTime = MaxSearchTime;
    Engine.Evaluator.EvalModel = EvalModel;
    Engine.MaxNodes = MaxNodes;
  }
};

constexpr int kLineMoves = 64;

}  // namespace

bool JudgeBySearch(CSearchEngine& engine, int redToMove, int depth, CSearchJudgement& out) {
  out.Leaf = engine.Position;
  out.LeafRedToMove = redToMove;
  out.RedCentipawns = redToMove ? -MATE_CENTIPAWNS : MATE_CENTIPAWNS;
  CSettingsRestore restore(engine);
  engine.UseBook = 0;
  engine.MaxDepth = depth;
  // Depth alone ends the search, so a slow machine gives the same targets.
  engine.MaxIterTime = engine.MaxSearchTime = std::numeric_limits<int32_t>::max();
  engine.MaxNodes = NO_NODE_LIMIT;
  engine.Evaluator.EvalModel = EVAL_MODEL_DEFAULT;
  if (!engine.FindBestMove(redToMove, 1)) return false;
  // The engine answers the very first position of a game from its book
  // whatever UseBook says; that position is level.
  if (engine.BestScore == NO_SCORE) {
    out.RedCentipawns = 0;
    return false;
  }

  const int cp = ScoreCentipawns(engine.BestScore, EVAL_MODEL_DEFAULT);
  out.RedCentipawns = redToMove ? cp : -cp;
  CMove moves[kLineMoves];
  const int count = engine.PrincipalVariation(redToMove, moves, kLineMoves);
  const std::vector<CMove> line = PlayableLine(engine.Position, redToMove, std::vector<CMove>(moves, moves + count));
  for (const CMove& move : line) out.Leaf.MakeMove(move);
  out.LeafRedToMove = line.size() % 2 == 0 ? redToMove : !redToMove;
  return true;
}

float ScoreExpect(int redCentipawns, float scaleCentipawns) {
  const double p = 1.0 / (1.0 + std::exp(-static_cast<double>(redCentipawns) / scaleCentipawns));
  return static_cast<float>(0.1 + 0.8 * p);
}

float BlendExpect(float resultExpect, float scoreExpect, float weight) {
  return static_cast<float>((1.0 - weight) * resultExpect + static_cast<double>(weight) * scoreExpect);
}
