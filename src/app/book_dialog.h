#pragma once
// The opening-book dialog: builds the book from a folder of game records
// through a job runner (caption "开局库(正在创建...)" meanwhile, the games
// read of the files found and the current file below the fields), stops a
// build (the book built so far is culled and saved) and reports the end in
// one message box, with what the build read and kept, or why it failed,
// below the fields.
#include <QDialog>
#include <functional>

#include "app/job_runner.h"
#include "jobs/book_build_job.h"

class QLabel;
class QLineEdit;
class QPushButton;
class CFolderEdit;

class CBookDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CBookDialog(QWidget* parent = nullptr);
  ~CBookDialog() override;

  bool IsBuilding() const { return Runner.Running(); }

  void OnCreate();
  // Stops a running build, joins it and reports its end.
  void OnStop();

  CFolderEdit* RecordFolder;
  QLineEdit *MinWeight, *WonWeight, *DrawWeight, *LossWeight;
  QLabel* Status;  // the progress while building, then the outcome
  QPushButton *CreateButton, *StopButton, *ExitButton;

  // Called on the job's thread after each progress report (tests hold a
  // build there until they have asked it to stop).
  std::function<void(const CJobControl&)> AfterProgress;

 public slots:
  // Closing during a build stops it, without a message box.
  void reject() override;

 private:
  void ShowProgress(const CJobProgress& progress);
  void ShowEnd(bool withBox);

  // Written by the job, read once it has been joined.
  CBookBuildResult Result;
  CJobError Error;
  CBookBuildSettings Running;  // of the build that runs or ran last
  CJobRunner Runner;  // after what the job writes: stopped first when the dialog goes
};
