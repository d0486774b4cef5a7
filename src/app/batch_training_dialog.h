#pragma once
// The batch-training dialog: sets up and runs a training from a folder of
// game records (samples first, then the networks learn from them) through a
// job runner, stops it, and saves, randomises or resets the networks. While
// it runs, a line below the fields follows the job (files read, then passes
// of the current run) and a 100 ms timer shows the counters and feeds the
// live plot; the end is reported in one message box, the reason of a
// failure on that line.
#include <QDialog>
#include <atomic>
#include <string>

#include "app/job_runner.h"
#include "app/training_plot.h"
#include "jobs/batch_train.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class CFolderEdit;

class CBatchTrainingDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CBatchTrainingDialog(QWidget* parent = nullptr);
  ~CBatchTrainingDialog() override;

  bool IsTraining() const { return Runner.Running(); }
  // The settings as last read from the fields (the job's defaults at first).
  const CTrainParams& Params() const { return P; }
  int CurrRelearnCount() const { return RelearnCount.load(); }

  // The buttons.
  void OnTrain();
  void OnStop();
  void OnSave();
  void OnRandomize();
  void OnReset();
  // Focus leaving BasicTdbpAnnIndex: that network's values into the fields.
  void OnBasicIndexLeft();
  // The timer's refresh.
  void OnTimer();

  // Reads every field into the values; false (with the message) when one is
  // not a number. The ranges are the job's to check.
  bool ReadFields();
  void ShowFields();

  CFolderEdit* RootDir;
  QCheckBox* CullDraw;
  QLineEdit *BasicTdbpAnnIndex, *MaxPatternListBytes, *TestOverflowFreq, *TestOverflowCoeff,
      *MinStatusCount, *MinMoveCoeff, *StartTdbpAnnIndex, *EndTdbpAnnIndex, *MaxRelearnCount,
      *MaxLearnCount, *AutoSaveCount, *ThreadCount, *Alpha, *Lambda, *Lower, *Upper,
      *CurrRelearnCountBox, *ElapsedTime;
  // Switches of the single-network training: an empty field or a clear box
  // leaves the job's setting unset, so the training is as without them.
  QCheckBox *Shuffle, *Adam;
  QLineEdit *ShuffleSeed, *AlphaEnd, *BatchSize;
  // Search targets of the sample generation.
  QLineEdit *SearchDepth, *ScoreWeight, *ScoreScale;
  QCheckBox* LeafPositions;
  QLabel* Status;  // the job's progress while it runs, then its outcome
  QPushButton *TrainButton, *SaveButton, *RandomizeButton, *ResetButton, *StopButton, *ExitButton;
  CTrainingPlot* Plot;

 public slots:
  void reject() override;

 private:
  void LoadNetworkValues(int index);
  void ShowProgress(const CJobProgress& progress);
  // The end: read-outs, caption, the outcome line and (withBox) the message.
  void ShowEnd(bool withBox);
  bool SaveNetworks();
  QLineEdit* AddNumber(const char* label, int row, int column);
  QCheckBox* AddCheck(const char* label, int row, int column);

  // The job's settings and the dialog's own values (not the job's).
  CTrainParams P;
  int32_t BasicIndex = 0;
  float LowerValue = 0, UpperValue = 0;
  std::atomic<int> RelearnCount {0};
  // Written by the job, read once it has been joined.
  CBatchTrainingResult Result;
  CJobError Error;
  unsigned StartTick = 0;
  int32_t ElapsedSeconds = 0;
  QTimer* Timer;
  CPlotRecorder Recorder;
  class QGridLayout* Grid;
  CJobRunner Runner;  // last: stopped before what the job uses goes
};
