#include "jobs/own_review_judge.h"

#include "engine/engine_position.h"
#include "engine/score_units.h"
#include "rules/move_generator.h"

namespace {

constexpr int kNullMoveMinPieces = 6;
constexpr int kStopPollMs = 50;  // how often a running search looks at the stop request

bool SameMove(const CMove& a, const CMove& b) { return a.Piece == b.Piece && a.From == b.From && a.To == b.To; }

}  // namespace

COwnReviewJudge::COwnReviewJudge(int moveTimeMs, int maxDepth, int evalModel)
    : Engine(std::make_unique<CSearchEngine>()), MoveTimeMs(moveTimeMs), MaxDepth(maxDepth), EvalModel(evalModel) {
  // The search takes a book move at a game's first move whatever UseBook
  // says, and a book move has no score: this engine has no book.
  Engine->Book.Reset();
}

CReviewVerdict COwnReviewJudge::Judge(const CPosition&, int, const std::vector<CMove>& moves, size_t played,
                                      const CPosition& position, int redToMove, const CMove* only,
                                      CJobControl& control) {
  CSearchEngine& engine = *Engine;
  engine.Reset();
  engine.UseBook = 0;
  engine.Evaluator.EvalModel = EvalModel;
  engine.MaxDepth = MaxDepth;
  engine.MaxIterTime = MoveTimeMs;
  engine.MaxSearchTime = MoveTimeMs;
  engine.TickIntervalMs = kStopPollMs;
  engine.OnTick = [&](const CIterationInfo&) {
    if (control.Stopping()) engine.EngineIdle.store(1);
  };
  engine.Position = position;
  engine.Record.Reset();
  for (size_t i = 0; i < played; ++i) engine.Record[static_cast<int>(i)].Move = moves[i];
  engine.Record.Length = static_cast<int32_t>(played);
  engine.Record.Current = engine.Record.Length - 1;
  if (only) {
    CMoveList& list = engine.Generator.AllMoves[0];
    GenerateAllMoves(position, redToMove, list);
    for (int i = 0; i < list.Count; ++i)
      if (!SameMove(list.Moves[i], *only) && IsLegalMove(engine.Position, redToMove, list.Moves[i]))
        engine.BanMove(list.Moves[i]);
  }

  CReviewVerdict verdict;
  const int found = engine.FindBestMove(redToMove, NullMoveAllowed(engine, kNullMoveMinPieces));
  engine.OnTick = nullptr;
  engine.ClearBannedMoves();
  if (control.Stopping() || engine.BestScore == NO_SCORE) return verdict;
  // The move alone may be refused (a fourth repetition, a full ban list).
  if (only && !(found && SameMove(engine.BestMove, *only))) return verdict;
  verdict.Searched = true;
  verdict.Centipawns = ScoreCentipawns(engine.BestScore, EvalModel);
  verdict.Mate = IsMateScore(engine.BestScore);
  if (verdict.Mate) verdict.MateMoves = MateMovesWithin(engine.IterDepth + 1);
  if (found) verdict.Best = engine.BestMove;
  return verdict;
}
