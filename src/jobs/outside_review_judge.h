#pragma once
// An outside UCI engine program (fairy-stockfish and the like, with
// "UCI_Variant" xiangqi) as the review's judge: the position as a FEN and
// the game's moves, "go" with a time or a depth, and for one move alone
// "searchmoves"; the score of its last "info" line.
#include <string>

#include "jobs/child_process.h"
#include "jobs/review_judge.h"

class COutsideReviewJudge : public CReviewJudge {
 public:
  COutsideReviewJudge(std::string command, int moveTimeMs, int maxDepth);
  ~COutsideReviewJudge() override;
  // Starts the program and waits for its "uciok" and "readyok". 1, or 0 with Failure().
  int Start();
  CReviewVerdict Judge(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves, size_t played,
                       const CPosition& position, int redToMove, const CMove* only, CJobControl& control) override;
  std::string Failure() const override { return ErrorText; }

 private:
  std::string Quoted() const { return "the engine " + Command; }

  std::string Command;
  int MoveTimeMs;
  int MaxDepth;
  CChildProcess Child;
  std::string ErrorText;
};
