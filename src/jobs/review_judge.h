#pragma once
// What the game review asks of an engine: the verdict on one position of
// the game, at its best or for one move alone. Tarvo's own search, or an
// outside UCI engine program.
#include <memory>
#include <string>
#include <vector>

#include "jobs/job.h"
#include "rules/move.h"
#include "rules/position.h"

struct CReviewSettings;

// The engine's verdict on a position, from its side to move.
struct CReviewVerdict {
  bool Searched = false;
  int Centipawns = 0;  // +-MATE_CENTIPAWNS for a mate
  bool Mate = false;
  int MateMoves = 0;   // within this many moves of the winner
  CMove Best;
};

class CReviewJudge {
 public:
  virtual ~CReviewJudge() = default;
  // The position after the first `played` of the game's moves from the
  // start; with `only`, that move is the only one searched. Unsearched when
  // the stop request ended it or the engine failed (Failure says why).
  virtual CReviewVerdict Judge(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves,
                               size_t played, const CPosition& position, int redToMove, const CMove* only,
                               CJobControl& control) = 0;
  virtual std::string Failure() const { return {}; }
};

// Tarvo's search, or with settings.EngineCommand an outside UCI engine
// (started here); nullptr with the error when it cannot judge.
std::unique_ptr<CReviewJudge> MakeReviewJudge(const CReviewSettings& settings, CJobError& error);
