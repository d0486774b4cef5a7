#include "jobs/review_judge.h"

#include "jobs/game_review.h"
#include "jobs/outside_review_judge.h"
#include "jobs/own_review_judge.h"

std::unique_ptr<CReviewJudge> MakeReviewJudge(const CReviewSettings& settings, CJobError& error) {
  error = {};
  if (settings.EngineCommand.empty()) {
    auto own = std::make_unique<COwnReviewJudge>(settings.MoveTimeMs, settings.MaxDepth, settings.EvalModel);
    if (own->IsReady()) return own;
    error.Fault = CJobFault::Failed;
    error.Detail = own->Failure();
    return nullptr;
  }
  auto outside = std::make_unique<COutsideReviewJudge>(settings.EngineCommand, settings.MoveTimeMs, settings.MaxDepth);
  if (outside->Start()) return outside;
  error.Fault = CJobFault::Failed;
  error.Setting = "EngineCommand";
  error.Detail = outside->Failure();
  return nullptr;
}
