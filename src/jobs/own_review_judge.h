#pragma once
// Tarvo's own search as the review's judge. A move alone is searched with
// every other root move banned, so its score comes from the same root and
// depth as the best move's: searching the next position instead would put
// the search's last ply on the other side and tilt the comparison.
#include <memory>

#include "engine/search_engine.h"
#include "jobs/review_judge.h"

class COwnReviewJudge : public CReviewJudge {
 public:
  COwnReviewJudge(int moveTimeMs, int maxDepth, int evalModel);
  bool IsReady() const { return Engine->IsReady(); }
  std::string Failure() const override { return Engine->NotReadyReason(); }
  CReviewVerdict Judge(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves, size_t played,
                       const CPosition& position, int redToMove, const CMove* only, CJobControl& control) override;

 private:
  std::unique_ptr<CSearchEngine> Engine;
  int MoveTimeMs;
  int MaxDepth;
  int EvalModel;
};
