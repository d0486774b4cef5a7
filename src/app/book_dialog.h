#pragma once
// The opening-book dialog: builds the book from a folder of game records on
// a worker thread (caption "开局库(正在创建...)" meanwhile), stops a build
// (the book built so far is culled and saved) and reports the outcome.
#include <QDialog>
#include <atomic>
#include <thread>

#include "game/game.h"
#include "jobs/book_build_job.h"

class QLineEdit;
class QPushButton;
class CFolderEdit;

class CBookDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CBookDialog(QWidget* parent = nullptr);
  ~CBookDialog() override;

  bool IsBuilding() const { return Worker.joinable(); }
  // The worker has returned and its message is waiting to be shown.
  bool WorkerFinished() const { return Finished.load(); }

  void OnCreate();
  void OnStop();

  CFolderEdit* RecordFolder;
  QLineEdit *MinWeight, *WonWeight, *DrawWeight, *LossWeight;
  QPushButton *CreateButton, *StopButton, *ExitButton;

 public slots:
  void reject() override;

 signals:
  // From the worker: the build returned (1 success, 0 failure).
  void BuildEnded(int result);

 private:
  void ShowResult(int result);

  std::thread Worker;

 public:
  CJobControl Control;
  std::atomic<bool> Finished {false};
};
