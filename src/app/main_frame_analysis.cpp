// The main window's analysis commands: 分析 (toggled), 提示, 复盘 and
// 中断复盘, the analysis dock and the score-curve dock, kept apart from the
// rest of the window's wiring.
#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>

#include "app/analysis_dock.h"
#include "app/command_ids.h"
#include "app/game_reviewer.h"
#include "app/larko_doc.h"
#include "app/larko_view.h"
#include "app/main_frame.h"

namespace {
// A magnifying glass over a board line for the 分析 button.
QIcon AnalysisIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 40), 1.5));
  p.setBrush(QColor(200, 230, 250));
  p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
  p.setPen(QPen(QColor(120, 70, 20), 2.5));
  p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
  return QIcon(pixmap);
}
}  // namespace

void CMainFrame::CreateAnalysisCommands(QMenu* play, QMenu* view, QMenu* tools) {
  play->addSeparator();
  AddCommand(play, Cmd::Analysis, "分析(&A)", "引擎不停地分析棋盘上的局面", "分析")->setCheckable(true);
  AddCommand(play, Cmd::Hint, "提示(&I)", "在棋盘上用箭头标出引擎推荐的着法", "提示")
      ->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
  AddCommand(view, Cmd::AnalysisDock, "分析窗口(&A)", "显示或隐藏分析窗口", "显隐分析窗口")->setCheckable(true);
  AddCommand(view, Cmd::ScoreCurve, "局势曲线(&C)", "显示或隐藏复盘的局势曲线", "显隐局势曲线")->setCheckable(true);
  // 复盘 stands with the other tools, before 选项.
  QAction* options = Actions[Cmd::Options];
  QAction* review = AddCommand(tools, Cmd::Review, "复盘(&R)...", "引擎复盘本局, 标出疑问手和败着", "复盘");
  QAction* stop = AddCommand(tools, Cmd::StopReview, "中断复盘(&Z)", "中断正在进行的复盘", "中断复盘");
  tools->removeAction(review);
  tools->removeAction(stop);
  tools->insertActions(options, {review, stop});
  tools->insertSeparator(options);
}

void CMainFrame::CreateAnalysis() {
  AnalysisPanel = new CAnalysisDock(BoardView, this);
  addDockWidget(Qt::RightDockWidgetArea, AnalysisPanel);
  AnalysisPanel->hide();
  connect(AnalysisPanel, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);

  GameReviewer = new CGameReviewer(BoardView, MoveListDock, this);
  addDockWidget(Qt::BottomDockWidgetArea, GameReviewer->CurveDock());
  GameReviewer->CurveDock()->hide();
  connect(GameReviewer->CurveDock(), &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
  connect(GameReviewer, &CGameReviewer::StateChanged, this, &CMainFrame::UpdateCommandUI);
  connect(GameReviewer, &CGameReviewer::StatusText, this, [this](const QString& text) { statusBar()->showMessage(text); });
  connect(GameReviewer, &CGameReviewer::GameCommented, this, [this] { Document->SetModifiedFlag(); });

  QAction* analysis = Actions[Cmd::Analysis];
  analysis->setIcon(AnalysisIcon());
  QAction* options = Actions[Cmd::Options];
  Tools->insertAction(options, analysis);
  Tools->insertSeparator(options);
}

bool CMainFrame::UpdateAnalysisCommand(int id, QAction* action) {
  if (!AnalysisPanel || !GameReviewer) return false;
  switch (id) {
    case Cmd::Analysis:
      action->setEnabled(true);
      action->setChecked(AnalysisPanel->IsOn());
      return true;
    case Cmd::Hint:
      action->setEnabled(AnalysisPanel->CanHint());
      return true;
    case Cmd::AnalysisDock:
      action->setEnabled(true);
      action->setChecked(!AnalysisPanel->isHidden());
      return true;
    case Cmd::ScoreCurve:
      action->setEnabled(true);
      action->setChecked(!GameReviewer->CurveDock()->isHidden());
      return true;
    case Cmd::Review:
      action->setEnabled(GameReviewer->CanStart());
      return true;
    case Cmd::StopReview:
      action->setEnabled(GameReviewer->Running());
      return true;
    default:
      return false;
  }
}

bool CMainFrame::OnAnalysisCommand(int id) {
  if (!AnalysisPanel || !GameReviewer) return false;
  switch (id) {
    case Cmd::Analysis:
      AnalysisPanel->SetOn(!AnalysisPanel->IsOn());
      if (AnalysisPanel->IsOn()) AnalysisPanel->show();
      return true;
    case Cmd::Hint:
      AnalysisPanel->ShowHint();
      return true;
    case Cmd::AnalysisDock:
      AnalysisPanel->setVisible(AnalysisPanel->isHidden());
      return true;
    case Cmd::ScoreCurve:
      GameReviewer->CurveDock()->setVisible(GameReviewer->CurveDock()->isHidden());
      return true;
    case Cmd::Review:
      GameReviewer->Ask();
      return true;
    case Cmd::StopReview:
      GameReviewer->Stop();
      return true;
    default:
      return false;
  }
}

void CMainFrame::FollowBoard() {
  if (AnalysisPanel) AnalysisPanel->Follow();
  if (GameReviewer) GameReviewer->Follow();
}

void CMainFrame::StopAnalysis() {
  if (AnalysisPanel) {
    disconnect(AnalysisPanel, nullptr, this, nullptr);
    AnalysisPanel->StopAll();
  }
  if (GameReviewer) {
    disconnect(GameReviewer->CurveDock(), nullptr, this, nullptr);
    disconnect(GameReviewer, nullptr, this, nullptr);
    GameReviewer->Stop();
  }
}
