#pragma once
// The board view: shows the painter's picture, turns mouse clicks into
// selections, moves and position edits, carries out the game commands and
// runs the computer's moves and the view's tool jobs on job runners.
//
// Before a runner starts, the game is marked busy, so no click or command
// slips in before its search begins. A job never touches the widget: it
// paints the picture into an image on its own thread and hands it over.
// The end of every job reaches the view through its runner's queued signal.
#include <QImage>
#include <QWidget>
#include <atomic>
#include <memory>

#include "app/job_progress_text.h"
#include "app/job_runner.h"
#include "app/qt_canvas.h"
#include "board/board_painter.h"
#include "jobs/job.h"
#include "jobs/outside_player.h"
#include "jobs/selfplay_job.h"

class CLarkoDoc;
class CGameTrainingDialog;
class CSelfPlayDialog;
class QTimer;

class CLarkoView : public QWidget {
  Q_OBJECT

 public:
  explicit CLarkoView(CLarkoDoc* doc, QWidget* parent = nullptr);
  ~CLarkoView() override;

  // Draws the game and maps clicks to squares; its selection and layout are
  // the view's, reset whenever the game sets up a new board.
  CBoardPainter Painter;

  // The three idle flags are 1 and no worker of this view is running.
  bool IsIdle() const;
  bool IsWorkerRunning() const;

  bool IsCommandEnabled(int id) const;
  bool IsCommandChecked(int id) const;
  void OnCommand(int id);

  // Rebuilds the picture when no search runs and shows it.
  void Redraw();
  const QImage& Picture() const { return CachedPicture; }

  // The game-training dialog, kept with the view for its values.
  CGameTrainingDialog* TrainingDialog() const { return TrainingValues; }
  // The folder of the last record check, ending in "/".
  const QString& CheckFolder() const { return CheckFolderPath; }
  bool IsTrainingRunning() const { return TrainingWorker.Running(); }
  bool IsCheckingRunning() const { return CheckingWorker.Running(); }
  // The self-play dialog, kept with the view for its values.
  CSelfPlayDialog* SelfPlayDialog() const { return SelfPlayValues; }
  bool IsSelfPlayRunning() const { return SelfPlayWorker.Running(); }
  // The name of the tool job that runs ("对局训练", "自对弈", "棋谱检查"), empty when none.
  QString RunningJobName() const;
  // Starts the game training with the dialog's values (no dialog shown).
  void StartTraining();
  // Starts the record check of a folder (no folder browser shown).
  void StartChecking(const QString& folder);
  // Starts self-play with the dialog's settings (no dialog shown).
  void StartSelfPlay();

  // Starts the reply worker when the computer is to move in a new game.
  void StartComputerReply();

  // The destroy step: asks every job to stop and joins the workers.
  void StopWorkers();

  // The outside engine seated at the board (options: 对手), on the reply worker.
  COutsidePlayer& OutsideEngine() { return Outside; }

 signals:
  // A click, a command, a move of a job or the end of a job may have
  // changed what the commands can do.
  void StateChanged();
  // A person's move was not played; the reason is for the status bar.
  void MoveRefused(const QString& reason);
  // A line for the status bar: a job's progress or its summary.
  void StatusText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void OnOptions();
  void OnEditMode();
  void OnUndo();
  void OnRedo();
  void OnEngineMove();
  void OnClearBoard();
  void OnResign();
  void OnMirror();
  void OnHomePage();
  void OnOpeningBook();
  void OnBatchTraining();
  void OnGameTraining();
  void OnRecordCheck();
  void OnSelfPlay();
  // 中断: stops the game training, self-play or record check that runs and
  // says so in the status bar.
  void OnStopJob();
  // Starts the computer's move on a runner (the engine command plays both sides).
  void StartEngineJob(CJobRunner& runner, bool engineCommand);
  // At a job's end: the new picture and command states; for a tool job its
  // summary in the status bar and, unless it failed, in a message box; then
  // its message.
  void OnJobFinished(const CJobRunner& runner, const QString& message);
  // Tool jobs: the status bar's first line, and the wording of their progress.
  void ShowJobStart(const CJobRunner& runner, long long total);
  // Empty for a job that succeeded or was stopped; else `failed`, with the
  // reason handed on as a note.
  static QString FailureMessage(CJobControl& control, const CJobError& error, const QString& failed);
  CJobWording WordingOf(const CJobRunner& runner) const;
  // A tool job's end for the status bar; a stopped self-play adds the games
  // it dropped.
  QString ToolSummary(const CJobRunner& runner, bool stopped, bool failed) const;
  // The side to move's move by the computer: the outside engine when it has
  // that seat, else our engine. 1 when a move was played.
  int PlayComputerSide(CJobControl& control);
  // Once a second while a clock runs: the clocks, and a flag fall when idle.
  void OnClockTick();
  // Paints the current game into a new image of the view's size.
  QImage RenderPicture();
  // From a worker: paint on the worker's thread and hand the image over.
  void RedrawFromWorker();

  CLarkoDoc* Doc;
  CJobRunner EngineWorker;
  CJobRunner ReplyWorker;
  CJobRunner TrainingWorker;
  CJobRunner CheckingWorker;
  CJobRunner SelfPlayWorker;
  CGameTrainingDialog* TrainingValues = nullptr;
  CSelfPlayDialog* SelfPlayValues = nullptr;
  CSelfPlayRun SelfPlayResult;  // written by the self-play job, read once it has been joined
  QString CheckFolderPath;
  CJobProgress LastProgress;  // of the tool job that runs or ran last
  QString LastFailure;        // why that job failed, when it did
  std::atomic<int> ClientWidth {0};
  std::atomic<int> ClientHeight {0};
  QImage CachedPicture;
  CBoardPainter PictureLayout;  // the painter as it drew CachedPicture, for the clocks
  COutsidePlayer Outside;
  std::string OutsideFault;  // why the outside engine lost, from the reply worker
  QTimer* ClockTimer = nullptr;
  CTextureCache Textures;
};
