#pragma once
// A live plot of a batch training: passes along the bottom, the patterns
// learned in each pass (left scale, red) and the seconds each pass took
// (right scale, dark cyan). Drawn with QPainter; points come from the
// training's worker thread and are taken over on the interface thread.
#include <QWidget>
#include <mutex>
#include <vector>

struct CTrainProgress;

struct CPlotPoint {
  int Pass = 0;             // counted over the whole training, from 1
  long long Patterns = 0;   // patterns learned in the pass
  double Seconds = 0;       // the pass's duration
};

// Turns the training's progress reports into one point per finished pass.
// Called on the worker thread; Take() hands the new points over.
class CPlotRecorder {
 public:
  void Start(unsigned startTick);
  void OnProgress(const CTrainProgress& progress, unsigned tick);
  std::vector<CPlotPoint> Take();

 private:
  std::mutex Mutex;
  std::vector<CPlotPoint> Pending;
  int Passes = 0;
  long long LastPatterns = 0;
  unsigned LastTick = 0;
  std::string LastRun;
};

class CTrainingPlot : public QWidget {
  Q_OBJECT

 public:
  explicit CTrainingPlot(QWidget* parent = nullptr);

  void Clear();
  void Add(const std::vector<CPlotPoint>& points);
  const std::vector<CPlotPoint>& Points() const { return Shown; }

  QSize sizeHint() const override { return {360, 260}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<CPlotPoint> Shown;
};
