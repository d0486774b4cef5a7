#include "jobs/outside_review_judge.h"

#include <sstream>
#include <utility>

#include "engine/score_units.h"
#include "engine/search_engine.h"
#include "engine/ucci_session.h"
#include "jobs/uci_xiangqi_talk.h"
#include "rules/iccs.h"

namespace {

constexpr int kGraceMs = 10000;        // past its time, for the answer to come
constexpr int kDepthSearchMs = 600000;  // a depth-limited search's wait

}  // namespace

COutsideReviewJudge::COutsideReviewJudge(std::string command, int moveTimeMs, int maxDepth)
    : Command(std::move(command)), MoveTimeMs(moveTimeMs), MaxDepth(maxDepth) {}

COutsideReviewJudge::~COutsideReviewJudge() {
  if (Child.IsRunning()) Child.WriteLine("quit");
  Child.End(1000);
}

int COutsideReviewJudge::Start() { return StartUciXiangqi(Child, Command, ErrorText) ? 1 : 0; }

CReviewVerdict COutsideReviewJudge::Judge(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves,
                                          size_t played, const CPosition& position, int redToMove, const CMove* only,
                                          CJobControl& control) {
  CReviewVerdict verdict;
  const std::string command = UciPositionCommand(start, startRedToMove, moves, played);
  Child.WriteLine(command);
  std::string go = "go ";
  go += MaxDepth < DEFAULT_MAX_DEPTH ? "depth " : "movetime ";
  go += std::to_string(MaxDepth < DEFAULT_MAX_DEPTH ? MaxDepth : MoveTimeMs);
  if (only) {
    go += " searchmoves ";
    go += CUcciSession::IccsToUci(MoveToIccs(*only));
  }
  Child.WriteLine(go);

  const int waitMs = MaxDepth < DEFAULT_MAX_DEPTH ? kDepthSearchMs : MoveTimeMs + kGraceMs;
  bool haveScore = false;
  bool stopSent = false;
  std::string line;
  for (;;) {
    const CReadStatus status = Child.ReadLine(line, waitMs, [&] { return control.Stopping(); });
    if (status == CReadStatus::Stopped) {
      if (stopSent) return {};
      Child.WriteLine("stop");
      stopSent = true;
      continue;
    }
    if (status != CReadStatus::Line) {
      ErrorText = Quoted() + (status == CReadStatus::TimeOut ? " gave no move in time" : " ended");
      return {};
    }
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "info") {
      CUciInfo info;
      ParseUciInfo(line, info);
      if (!info.HasScore || info.Bound) continue;
      verdict.Centipawns = info.Centipawns;
      verdict.Mate = info.Mate;
      verdict.MateMoves = info.Mate ? info.MateMoves : 0;
      haveScore = true;
    } else if (word == "bestmove") {
      if (stopSent || control.Stopping()) return {};
      std::string move;
      words >> move;
      if (move == "(none)" || move.empty()) {  // no move: mated (or stalemated, which loses too)
        verdict.Searched = true;
        verdict.Mate = true;
        verdict.Centipawns = -MATE_CENTIPAWNS;
        return verdict;
      }
      CMove best;
      if (!MoveFromIccs(position, CUcciSession::UciToIccs(move), best) || !haveScore) {
        ErrorText = Quoted() + " answered \"" + line + "\" without a score or a move of the position";
        return {};
      }
      (void)redToMove;
      verdict.Best = best;
      verdict.Searched = true;
      return verdict;
    }
  }
}
