#include "jobs/outside_review_judge.h"

#include <sstream>
#include <utility>

#include "engine/score_units.h"
#include "engine/search_engine.h"
#include "engine/ucci_session.h"
#include "rules/iccs.h"

namespace {

constexpr int kHandshakeMs = 10000;
constexpr int kGraceMs = 10000;        // past its time, for the answer to come
constexpr int kDepthSearchMs = 600000;  // a depth-limited search's wait

}  // namespace

COutsideReviewJudge::COutsideReviewJudge(std::string command, int moveTimeMs, int maxDepth)
    : Command(std::move(command)), MoveTimeMs(moveTimeMs), MaxDepth(maxDepth) {}

COutsideReviewJudge::~COutsideReviewJudge() {
  if (Child.IsRunning()) Child.WriteLine("quit");
  Child.End(1000);
}

bool COutsideReviewJudge::WaitFor(const std::string& word, int waitMs) {
  std::string line;
  for (;;) {
    const CReadStatus status = Child.ReadLine(line, waitMs);
    if (status != CReadStatus::Line) {
      ErrorText = Quoted() + (status == CReadStatus::TimeOut ? " did not answer " + word + " in time" : " ended");
      return false;
    }
    if (line.compare(0, word.size(), word) == 0) return true;
  }
}

int COutsideReviewJudge::Start() {
  if (!Child.Start(Command)) {
    ErrorText = Child.Error();
    return 0;
  }
  Child.WriteLine("uci");
  if (!WaitFor("uciok", kHandshakeMs)) return 0;
  Child.WriteLine("setoption name UCI_Variant value xiangqi");
  Child.WriteLine("isready");
  return WaitFor("readyok", kHandshakeMs) ? 1 : 0;
}

CReviewVerdict COutsideReviewJudge::Judge(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves,
                                          size_t played, const CPosition& position, int redToMove, const CMove* only,
                                          CJobControl& control) {
  CReviewVerdict verdict;
  std::string command = "position fen ";
  command += start.Fen(startRedToMove);
  if (played > 0) command += " moves";
  for (size_t i = 0; i < played; ++i) {
    command += ' ';
    command += CUcciSession::IccsToUci(MoveToIccs(moves[i]));
  }
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
      if (line.find("lowerbound") != std::string::npos || line.find("upperbound") != std::string::npos) continue;
      while (words >> word)
        if (word == "score") break;
      std::string kind;
      long long value = 0;
      if (word != "score" || !(words >> kind >> value)) continue;
      if (kind == "cp") {
        verdict.Centipawns = static_cast<int>(std::max(-29999LL, std::min(29999LL, value)));
        verdict.Mate = false;
        haveScore = true;
      } else if (kind == "mate") {
        verdict.Mate = true;
        verdict.Centipawns = value > 0 ? MATE_CENTIPAWNS : -MATE_CENTIPAWNS;
        verdict.MateMoves = static_cast<int>(value > 0 ? value : -value);
        haveScore = true;
      }
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
