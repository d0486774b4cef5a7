#include "jobs/game_review.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/text_encoding.h"
#include "engine/score_units.h"
#include "game/game.h"
#include "jobs/review_judge.h"
#include "rules/notation.h"

namespace {

bool SameMove(const CMove& a, const CMove& b) { return a.Piece == b.Piece && a.From == b.From && a.To == b.To; }

CReviewScore RedScore(const CReviewVerdict& verdict, int redToMove) {
  CReviewScore score;
  score.RedCentipawns = redToMove ? verdict.Centipawns : -verdict.Centipawns;
  score.Mate = verdict.Mate;
  score.MateMoves = verdict.MateMoves;
  return score;
}

std::string PawnText(int centipawns) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", centipawns / 100.0);
  return text;
}

// The review line of a marked move, UTF-8.
std::string ReviewLine(const CMoveReview& move) {
  std::string line = std::string("复盘：") + MarkName(move.Mark) + "，失 " + PawnText(move.Loss) + " 兵";
  if (!move.BestNotation.empty()) line += "，较好：" + Gb2312ToUtf8(move.BestNotation);
  return line;
}

}  // namespace

CJobError CheckReviewSettings(const CReviewSettings& settings) {
  if (auto e = CheckRange("MoveTimeMs", settings.MoveTimeMs, 10, 600000)) return e;
  if (auto e = CheckRange("MaxDepth", settings.MaxDepth, 1, DEFAULT_MAX_DEPTH)) return e;
  if (settings.EvalModel != EVAL_MODEL_DEFAULT && settings.EvalModel != EVAL_MODEL_ANN)
    return OutOfRange("EvalModel", settings.EvalModel, EVAL_MODEL_DEFAULT, EVAL_MODEL_ANN);
  return {};
}

CReviewMark MarkOfLoss(int lossCentipawns) {
  if (lossCentipawns >= BLUNDER_LOSS) return CReviewMark::Blunder;
  if (lossCentipawns >= MISTAKE_LOSS) return CReviewMark::Mistake;
  return CReviewMark::None;
}

const char* MarkName(CReviewMark mark) {
  switch (mark) {
    case CReviewMark::Mistake: return "疑问手";
    case CReviewMark::Blunder: return "败着";
    case CReviewMark::None: break;
  }
  return "";
}

CJobError ReviewMoves(const CPosition& start, int redToMove, const std::vector<CMove>& moves,
                      const CReviewSettings& settings, CJobControl& control, CGameReview& review) {
  review = CGameReview {};
  if (auto e = CheckReviewSettings(settings)) return e;
  if (moves.size() >= MAX_RECORD_ENTRIES) {
    CJobError error;
    error.Fault = CJobFault::Failed;
    error.Detail = "the game has more moves than a record holds";
    return error;
  }
  CJobError error;
  const std::unique_ptr<CReviewJudge> judge = MakeReviewJudge(settings, error);
  if (!judge) return error;
  auto judgeAt = [&](const CPosition& position, int side, size_t played, const CMove* only) {
    return judge->Judge(start, redToMove, moves, played, position, side, only, control);
  };

  CJobProgress progress;
  progress.Total = static_cast<long long>(moves.size()) + 1;
  control.Report(progress);
  CPosition position = start;
  int side = redToMove ? 1 : 0;
  CReviewVerdict before = judgeAt(position, side, 0, nullptr);
  for (size_t i = 0; i < moves.size() && before.Searched; ++i, side = !side) {
    ++progress.Done;
    control.Report(progress);
    const CMove& played = moves[i];
    const bool best = SameMove(played, before.Best);
    const CReviewVerdict forced = best ? before : judgeAt(position, side, i, &played);
    if (control.Stopping()) break;
    CPosition next = position;
    next.MakeMove(played);
    const CReviewVerdict following = judgeAt(next, !side, i + 1, nullptr);
    if (!following.Searched) break;

    CMoveReview move;
    move.Ply = static_cast<int>(i) + 1;
    move.RedMoved = side != 0;
    move.Played = played;
    move.Best = before.Best;
    move.Notation = FormatMove(position, played);
    if (before.Best.IsComplete()) move.BestNotation = FormatMove(position, before.Best);
    move.Before = RedScore(before, side);
    // A move the search would not play alone is judged by the next position's search.
    move.After = forced.Searched ? RedScore(forced, side) : RedScore(following, !side);
    move.Loss = std::max(0, move.MoverBefore() - move.MoverAfter());
    move.Mark = MarkOfLoss(move.Loss);
    const int who = move.RedMoved ? 0 : 1;
    if (move.Mark == CReviewMark::Mistake) ++review.Mistakes[who];
    if (move.Mark == CReviewMark::Blunder) ++review.Blunders[who];
    review.Moves.push_back(std::move(move));

    position = next;
    before = following;
  }
  if (before.Searched && review.Moves.size() == moves.size()) {
    ++progress.Done;
    control.Report(progress);
  }
  review.Stopped = review.Moves.size() < moves.size() || !before.Searched;
  // An engine that failed, rather than the stop request, is an error.
  if (review.Stopped && !control.Stopping() && !judge->Failure().empty()) {
    error.Fault = CJobFault::Failed;
    error.Detail = judge->Failure();
    return error;
  }
  return {};
}

void GameMoves(CGame& game, CPosition& start, int& redToMove, std::vector<CMove>& moves) {
  const CGameRecord& record = game.Record();
  start = game.Position();
  for (int i = record.Current; i >= 0; --i) start.UnmakeMove(record[i].Move);
  redToMove = ((record.Current + 1) % 2 == 0) == (game.RedToMove != 0) ? 1 : 0;
  moves.clear();
  for (int i = 0; i < record.Length; ++i) moves.push_back(record[i].Move);
}

CJobError ReviewGame(CGame& game, const CReviewSettings& settings, CJobControl& control, CGameReview& review) {
  CPosition start;
  int redToMove = 1;
  std::vector<CMove> moves;
  GameMoves(game, start, redToMove, moves);
  const CJobError error = ReviewMoves(start, redToMove, moves, settings, control, review);
  if (!error && settings.WriteComments) WriteReviewComments(game, review);
  return error;
}

void WriteReviewComments(CGame& game, const CGameReview& review) {
  const std::string prefix = Utf8ToGb18030("复盘：");
  CGameRecord& record = game.Record();
  for (const CMoveReview& move : review.Moves) {
    if (move.Ply < 1 || move.Ply > record.Length) continue;
    std::string& comment = record[move.Ply - 1].Comment;
    // Keep the comment's own lines, drop an earlier review line.
    std::string kept;
    size_t at = 0;
    while (at <= comment.size() && !comment.empty()) {
      size_t end = comment.find('\n', at);
      if (end == std::string::npos) end = comment.size();
      const std::string line = comment.substr(at, end - at);
      if (line.compare(0, prefix.size(), prefix) != 0) {
        if (!kept.empty()) kept += '\n';
        kept += line;
      }
      at = end + 1;
    }
    if (move.Mark != CReviewMark::None) {
      if (!kept.empty()) kept += '\n';
      kept += Utf8ToGb18030(ReviewLine(move));
    }
    comment = kept;
  }
}
