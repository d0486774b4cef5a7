#pragma once
// The board view: shows the painter's picture, turns mouse clicks into
// selections, moves and position edits, carries out the game commands and
// runs the computer's moves on worker threads.
//
// Workers: the view owns their std::thread objects. Before a worker starts
// the engine is marked busy, so no click or command slips in before its
// search begins. A worker never touches the widget: it paints the picture
// into an image on its own thread and hands it over, and at its end it asks
// the interface thread to join it. Each thread is joined exactly once, by
// the interface thread.
#include <QImage>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "app/qt_canvas.h"
#include "board/board_painter.h"
#include "jobs/job.h"

class CLarkoDoc;
class CGameTrainingDialog;

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
  // Starts the game training with the dialog's values (no dialog shown).
  void StartTraining();
  // Starts the record check of a folder (no folder browser shown).
  void StartChecking(const QString& folder);

  // Starts the reply worker when the computer is to move in a new game.
  void StartComputerReply();

  // The destroy step: asks every job to stop and joins the workers.
  void StopWorkers();

 signals:
  // A click, a command or the end of a worker may have changed what the
  // commands can do.
  void StateChanged();
  // A person's move was not played; the reason is for the status bar.
  void MoveRefused(const QString& reason);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  struct CWorker {
    std::thread Thread;
    std::atomic<bool> Done {false};
    bool Running() const { return Thread.joinable(); }
  };

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
  // Runs a tool job on a worker; at its end the message (if any) is shown.
  void StartJob(CWorker& worker, std::function<QString()> job);

  void StartWorker(CWorker& worker, bool engineCommand);
  void RunWorker(CWorker& worker, bool engineCommand);
  void JoinFinishedWorkers();
  void StopWorker(CWorker& worker);
  // Paints the current game into a new image of the view's size.
  QImage RenderPicture();
  // From a worker: paint on the worker's thread and hand the image over.
  void RedrawFromWorker();

  CLarkoDoc* Doc;
  CWorker EngineWorker;
  CWorker ReplyWorker;
  CWorker TrainingWorker;
  CWorker CheckingWorker;
  CGameTrainingDialog* TrainingValues = nullptr;
  CJobControl CheckControl;  // the record check's stop request
  QString CheckFolderPath;
  std::atomic<bool> StopRequested {false};
  std::atomic<int> ClientWidth {0};
  std::atomic<int> ClientHeight {0};
  QImage CachedPicture;
  CTextureCache Textures;
};
