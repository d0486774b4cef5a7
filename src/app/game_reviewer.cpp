#include "app/game_reviewer.h"

#include <QDockWidget>
#include <QMainWindow>
#include <algorithm>

#include "app/job_messages.h"
#include "app/larko_view.h"
#include "app/move_list_dock.h"
#include "app/review_dialog.h"
#include "app/score_curve.h"
#include "common/text_encoding.h"
#include "game/game.h"

namespace {
std::vector<CMove> RecordMoves(CGame& game) {
  CPosition start;
  int redToMove = 1;
  std::vector<CMove> moves;
  GameMoves(game, start, redToMove, moves);
  return moves;
}

QString Utf8Of(const std::string& gb) { return QString::fromStdString(Gb2312ToUtf8(gb)); }

QString PawnsText(int centipawns) { return QString::number(centipawns / 100.0, 'f', 2); }
}  // namespace

CGameReviewer::CGameReviewer(CLarkoView* view, CMoveListDock* moveList, QMainWindow* window)
    : QObject(window),
      View(view),
      MoveList(moveList),
      Dock(new QDockWidget(QStringLiteral("局势曲线"), window)),
      ScoreCurve(new CScoreCurve(Dock)) {
  Dock->setObjectName(QStringLiteral("ScoreCurve"));
  Dock->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
  Dock->setWidget(ScoreCurve);
  connect(ScoreCurve, &CScoreCurve::PositionClicked, this, [this](int position) {
    // Position 0 is the start: record ply -1.
    if (MoveList->GoToPly(position - 1)) emit MoveList->PlyChanged();
  });
  connect(&Runner, &CJobRunner::Progress, this, [this](const CJobProgress& progress) {
    emit StatusText(QStringLiteral("复盘中: 第 %1/%2 个局面").arg(progress.Done).arg(progress.Total));
  });
  connect(&Runner, &CJobRunner::Finished, this, &CGameReviewer::OnFinished);
}

CGameReviewer::~CGameReviewer() { Runner.Stop(); }

bool CGameReviewer::CanStart() const {
  return !Runner.Running() && View->IsIdle() && g_Game->EditMode == 0 && g_Game->Record().Length > 0;
}

void CGameReviewer::Ask() {
  if (!CanStart()) return;
  CReviewDialog dialog(View);
  if (dialog.exec() == QDialog::Accepted) Start(dialog.Settings());
}

bool CGameReviewer::Start(const CReviewSettings& settings) {
  if (!CanStart()) return false;
  if (const CJobError error = CheckReviewSettings(settings)) {
    emit StatusText(QStringLiteral("复盘: %1").arg(ChineseMessage(error)));
    return false;
  }
  CPosition start;
  int redToMove = 1;
  std::vector<CMove> moves;
  GameMoves(*g_Game, start, redToMove, moves);
  ReviewedMoves = moves;
  WriteComments = settings.WriteComments;
  auto review = std::make_shared<CGameReview>();
  Pending = review;
  // The job works on copies; the comments are written here, at its end.
  CReviewSettings jobSettings = settings;
  jobSettings.WriteComments = false;
  emit StatusText(QStringLiteral("复盘中: 第 0/%1 个局面").arg(moves.size() + 1));
  Runner.Start([start, redToMove, moves, jobSettings, review](CJobControl& control) {
    const CJobError error = ReviewMoves(start, redToMove, moves, jobSettings, control, *review);
    return error && !control.Stopping() ? ChineseMessage(error) : QString();
  });
  emit StateChanged();
  return true;
}

void CGameReviewer::Stop() {
  if (!Runner.Running()) return;
  Runner.Stop();
  OnFinished(QString());
}

void CGameReviewer::OnFinished(const QString& message) {
  if (!Pending) return;
  const std::shared_ptr<CGameReview> review = std::move(Pending);
  emit StateChanged();
  if (!message.isEmpty()) {
    emit StatusText(QStringLiteral("复盘失败: %1").arg(message));
    return;
  }
  // Results belong to the moves reviewed: a game changed since has none.
  if (!View->IsIdle() || RecordMoves(*g_Game) != ReviewedMoves) {
    emit StatusText(QStringLiteral("棋局已改变, 复盘结果作废."));
    return;
  }
  ShowReview(*review);
  if (WriteComments && !review->Stopped) {
    WriteReviewComments(*g_Game, *review);
    MoveList->Refresh();
    emit GameCommented();
  }
  QString summary = QStringLiteral("%1: 红方疑问手 %2 败着 %3, 黑方疑问手 %4 败着 %5")
                        .arg(review->Stopped ? QStringLiteral("复盘已中断") : QStringLiteral("复盘完成"))
                        .arg(review->Mistakes[0])
                        .arg(review->Blunders[0])
                        .arg(review->Mistakes[1])
                        .arg(review->Blunders[1]);
  emit StatusText(summary);
}

void CGameReviewer::ShowReview(const CGameReview& review) {
  Shown = review;
  std::vector<QString> marks, tips;
  std::vector<int> scores;
  for (const CMoveReview& move : review.Moves) {
    scores.push_back(move.Before.RedCentipawns);
    if (move.Mark == CReviewMark::None) {
      marks.emplace_back();
      tips.emplace_back();
      continue;
    }
    const QString name = QString::fromUtf8(MarkName(move.Mark));
    const QString better = Utf8Of(move.BestNotation);
    marks.push_back(QStringLiteral("%1→%2").arg(name, better));
    tips.push_back(QStringLiteral("%1: 失分 %2, 应走 %3").arg(name, PawnsText(move.Loss), better));
  }
  // The position after the last reviewed move closes the curve.
  if (!review.Moves.empty()) scores.push_back(review.Moves.back().After.RedCentipawns);
  MoveList->SetReviewMarks(ReviewedMoves, std::move(marks), std::move(tips));
  ScoreCurve->SetScores(std::move(scores));
  Dock->show();
  Follow();
}

void CGameReviewer::Follow() {
  if (!View->IsIdle() || ScoreCurve->Scores().empty()) return;
  // Another game, or other moves than the reviewed ones: the curve is not theirs.
  const std::vector<CMove> moves = RecordMoves(*g_Game);
  if (moves.size() < ReviewedMoves.size() || !std::equal(ReviewedMoves.begin(), ReviewedMoves.end(), moves.begin())) {
    ScoreCurve->SetScores({});
    return;
  }
  ScoreCurve->SetCurrent(g_Game->Record().Current + 1);
}
