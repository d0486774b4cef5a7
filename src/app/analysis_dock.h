#pragma once
// The analysis dock: while 分析 is on, an engine of its own thinks about the
// position on the board without end and the dock shows its score from red's
// side, depth, speed and best lines in Chinese notation, several times a
// second. It follows the board: a new position restarts the search. While
// the computer searches for its move (or a position is being edited) the
// analysis pauses, so the two searches do not share the processors.
//
// 提示 puts the engine's best move on the board as an arrow: at once when the
// analysis already has a line, else after a short search of its own. The
// arrow goes with the next change of position.
//
// 用外部引擎分析 lets the outside UCI engine set in 选项 think instead (read
// from 选项 when 分析 is switched on).
#include <QDockWidget>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "jobs/position_analysis.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class CLarkoView;

class CAnalysisDock : public QDockWidget {
  Q_OBJECT

 public:
  // How long 提示 searches when the analysis is off.
  static constexpr int HINT_SEARCH_MS = 1000;

  explicit CAnalysisDock(CLarkoView* view, QWidget* parent = nullptr);
  ~CAnalysisDock() override;

  bool IsOn() const { return On; }
  // 分析 toggled: on starts thinking about the board, off stops the worker.
  void SetOn(bool on);
  // After anything that may have changed the board: restarts on a new
  // position, pauses while the game is busy, drops a stale hint arrow.
  void Follow();
  // 提示: the best move as an arrow on the board.
  void ShowHint();
  // Whether 提示 can be given now (the game is idle, not in edit mode).
  bool CanHint() const;
  // Ends every search before the window closes; no worker is left.
  void StopAll();

  // Whether a worker thread searches.
  bool IsThinking() const { return Engine && Engine->IsRunning(); }
  const CPositionAnalysis* Analysis() const { return Engine.get(); }
  QSpinBox* LineCount() const { return LineCountBox; }
  QCheckBox* UseOutside() const { return UseOutsideBox; }
  QLabel* Score() const { return ScoreLabel; }
  QLabel* Pace() const { return PaceLabel; }
  QPlainTextEdit* Lines() const { return LinesBox; }

 signals:
  // The arrow of 提示 was put on the board.
  void HintShown();

 private:
  // Starts on the board's position when it may be read and differs from the
  // one analysed (or always, with force).
  void Restart(bool force);
  void Pause(const QString& why);
  void TakeReport(const CAnalysisReport& report);
  void ShowReport();
  void PlaceHint();
  // Reads the outside engine from 选项: the choice is there only with one set.
  void ReadOutsideEngine();
  CPositionAnalysis& EngineOnDemand();
  // Whether the analysis should think about the board now.
  bool Wanted() const { return On || HintPending; }

  CLarkoView* View;
  std::unique_ptr<CPositionAnalysis> Engine;
  QSpinBox* LineCountBox;
  QCheckBox* UseOutsideBox;
  std::string OutsideCommand;  // the UCI engine of 选项, empty when none
  QLabel* ScoreLabel;
  QLabel* PaceLabel;
  QPlainTextEdit* LinesBox;
  bool On = false;
  bool HintPending = false;   // 提示 waits for the engine's first line
  bool HintTimeUp = false;    // 提示's own search has had its time
  std::string AnalysedKey;    // the position (FEN with the side to move) searched, empty when none
  std::string HintKey;        // the position the arrow belongs to
  uint64_t CurrentId = 0;
  CAnalysisReport Last;       // of the current position
  CPosition AnalysedPosition;
  int AnalysedRedToMove = 1;
};
