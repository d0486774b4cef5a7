#pragma once
// 复盘 in the window: the review job runs on a job runner over a copy of the
// game's moves, so the game stays free to browse while it runs. At its end,
// when the game still holds those moves, the results go on show: the score
// curve in a dock under the board (a click goes to that move), the marks in
// the move list with the better move, and, when chosen, the review written
// into the game's comments.
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "app/job_runner.h"
#include "jobs/game_review.h"

class QDockWidget;
class QMainWindow;
class CLarkoView;
class CMoveListDock;
class CScoreCurve;

class CGameReviewer : public QObject {
  Q_OBJECT

 public:
  CGameReviewer(CLarkoView* view, CMoveListDock* moveList, QMainWindow* window);
  ~CGameReviewer() override;

  QDockWidget* CurveDock() const { return Dock; }
  CScoreCurve* Curve() const { return ScoreCurve; }

  // The game is idle, has moves and no review runs.
  bool CanStart() const;
  bool Running() const { return Runner.Running(); }
  // 复盘: asks for the settings, then starts.
  void Ask();
  // Starts the review of the game's moves; false when it cannot (the reason
  // goes to the status bar).
  bool Start(const CReviewSettings& settings);
  // 中断复盘: stops the job; what was reviewed so far is shown.
  void Stop();
  // The curve marks the game's current position.
  void Follow();
  // The review on show (empty before the first).
  const CGameReview& Review() const { return Shown; }

 signals:
  void StatusText(const QString& text);
  // The review was written into the game's comments.
  void GameCommented();
  // A review started or ended: the commands change.
  void StateChanged();

 private:
  void OnFinished(const QString& message);
  void ShowReview(const CGameReview& review);

  CLarkoView* View;
  CMoveListDock* MoveList;
  QDockWidget* Dock;
  CScoreCurve* ScoreCurve;
  CJobRunner Runner;
  std::shared_ptr<CGameReview> Pending;  // filled by the job, read after its thread is joined
  std::vector<CMove> ReviewedMoves;
  bool WriteComments = false;
  CGameReview Shown;
};
