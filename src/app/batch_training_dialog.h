#pragma once
// The batch-training dialog: sets up and runs a training from a folder of
// game records (samples first, then the networks learn from them) on a
// worker thread, stops it, and saves, randomises or resets the networks.
// A 100 ms timer shows the counters and feeds the live plot.
#include <QDialog>
#include <atomic>
#include <string>
#include <thread>

#include "app/training_plot.h"
#include "jobs/job.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTimer;
class CFolderEdit;

struct CBatchTrainingValues {
  QString RootDir;
  int32_t CullDraw = 0;
  int32_t BasicTdbpAnnIndex = 0;
  int32_t MaxPatternListBytes = 1073741824;
  int32_t TestOverflowFreq = 1000;
  float TestOverflowCoeff = 0.8f;
  int32_t MinStatusCount = 6;
  float MinMoveCoeff = 0;
  int32_t StartTdbpAnnIndex = -1;
  int32_t EndTdbpAnnIndex = -1;
  int32_t MaxRelearnCount = 10000000;
  int32_t MaxLearnCount = 0, AutoSaveCount = 0, ThreadCount = 0;
  float Alpha = 0, Lambda = 0, Lower = 0, Upper = 0;
};

class CBatchTrainingDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CBatchTrainingDialog(QWidget* parent = nullptr);
  ~CBatchTrainingDialog() override;

  bool IsTraining() const { return Worker.joinable(); }
  // The worker has returned (the caption still says training until a stop).
  bool WorkerFinished() const { return Finished.load(); }
  const CBatchTrainingValues& Values() const { return V; }
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

  // Reads every field into the values; false (with the message) when one is not a number.
  bool ReadFields();
  void ShowFields();

  CFolderEdit* RootDir;
  QCheckBox* CullDraw;
  QLineEdit *BasicTdbpAnnIndex, *MaxPatternListBytes, *TestOverflowFreq, *TestOverflowCoeff,
      *MinStatusCount, *MinMoveCoeff, *StartTdbpAnnIndex, *EndTdbpAnnIndex, *MaxRelearnCount,
      *MaxLearnCount, *AutoSaveCount, *ThreadCount, *Alpha, *Lambda, *Lower, *Upper,
      *CurrRelearnCountBox, *ElapsedTime;
  QPushButton *TrainButton, *SaveButton, *RandomizeButton, *ResetButton, *StopButton, *ExitButton;
  CTrainingPlot* Plot;

 public slots:
  void reject() override;

 private:
  void LoadNetworkValues(int index);
  bool SaveNetworks();
  QLineEdit* AddNumber(const char* label, int row, int column);

  CBatchTrainingValues V;
  std::thread Worker;
  std::atomic<bool> Finished {false};
  std::atomic<int> RelearnCount {0};
  CJobControl Control;
  unsigned StartTick = 0;
  int32_t ElapsedSeconds = 0;
  QTimer* Timer;
  CPlotRecorder Recorder;
  class QGridLayout* Grid;
};
