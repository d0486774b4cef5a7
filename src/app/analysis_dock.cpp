#include "app/analysis_dock.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <vector>

#include "app/analysis_text.h"
#include "app/board_engine_settings.h"
#include "app/larko_view.h"
#include "game/game.h"

namespace {
// The board's position with the side to move: what decides a restart.
std::string BoardKey(CGame& game) { return game.Position().Fen(game.RedToMove); }
}  // namespace

CAnalysisDock::CAnalysisDock(CLarkoView* view, QWidget* parent)
    : QDockWidget(QStringLiteral("分析"), parent),
      View(view),
      LineCountBox(new QSpinBox(this)),
      UseOutsideBox(new QCheckBox(QStringLiteral("用外部引擎分析"), this)),
      ScoreLabel(new QLabel(this)),
      PaceLabel(new QLabel(this)),
      LinesBox(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("Analysis"));
  setAllowedAreas(Qt::AllDockWidgetAreas);
  // The range is the analysis's own; it clamps whatever it is given.
  LineCountBox->setRange(1, 8);
  LineCountBox->setValue(CAnalysisSettings {}.MultiPv);
  LineCountBox->setToolTip(QStringLiteral("同时分析的着法线路数"));
  QFont big = ScoreLabel->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  ScoreLabel->setFont(big);
  ScoreLabel->setToolTip(QStringLiteral("红方视角的局面评分(兵)"));
  LinesBox->setReadOnly(true);
  LinesBox->setMinimumHeight(80);
  auto* panel = new QWidget(this);
  auto* top = new QHBoxLayout;
  top->addWidget(ScoreLabel, 1);
  top->addWidget(new QLabel(QStringLiteral("线路数:"), panel));
  top->addWidget(LineCountBox);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(UseOutsideBox);
  layout->addWidget(PaceLabel);
  layout->addWidget(LinesBox, 1);
  setWidget(panel);
  connect(LineCountBox, &QSpinBox::valueChanged, this, [this] {
    if (On) Restart(true);
  });
  connect(UseOutsideBox, &QCheckBox::toggled, this, [this] {
    if (On) Restart(true);
  });
  ReadOutsideEngine();
  ShowReport();
}

CAnalysisDock::~CAnalysisDock() {
  // The worker posts to this object: it ends first.
  Engine.reset();
}

CPositionAnalysis& CAnalysisDock::EngineOnDemand() {
  if (!Engine) {
    Engine = std::make_unique<CPositionAnalysis>();
    // On the worker's thread: the report travels to the window's thread.
    Engine->OnReport = [this](const CAnalysisReport& report) {
      QMetaObject::invokeMethod(this, [this, report] { TakeReport(report); }, Qt::QueuedConnection);
    };
  }
  return *Engine;
}

void CAnalysisDock::ReadOutsideEngine() {
  OutsideCommand = LoadOutsidePlayerSettings().Engine.Command;
  UseOutsideBox->setEnabled(!OutsideCommand.empty());
  if (OutsideCommand.empty()) UseOutsideBox->setChecked(false);
  UseOutsideBox->setToolTip(OutsideCommand.empty() ? QStringLiteral("选项中未设外部引擎")
                                                   : QString::fromStdString(OutsideCommand));
}

void CAnalysisDock::SetOn(bool on) {
  if (On == on) return;
  On = on;
  ReadOutsideEngine();
  if (On) {
    Restart(true);
  } else if (!HintPending) {
    Pause(QString());
  }
  ShowReport();
}

bool CAnalysisDock::CanHint() const { return View->IsIdle() && g_Game->EditMode == 0; }

void CAnalysisDock::Follow() {
  if (!View->IsIdle()) {
    if (Wanted()) Pause(QStringLiteral("电脑思考中, 分析暂停"));
    return;
  }
  if (View->Painter.HasHint() && BoardKey(*g_Game) != HintKey) {
    View->Painter.ClearHint();
    View->Redraw();
  }
  if (Wanted()) Restart(false);
}

void CAnalysisDock::Restart(bool force) {
  if (!View->IsIdle()) {
    Pause(QStringLiteral("电脑思考中, 分析暂停"));
    return;
  }
  if (g_Game->EditMode != 0) {
    Pause(QStringLiteral("编辑局面中, 分析暂停"));
    return;
  }
  const std::string key = BoardKey(*g_Game);
  if (!force && key == AnalysedKey) return;
  const CGameRecord& record = g_Game->Record();
  std::vector<CMove> history;
  for (int i = 0; i <= record.Current; ++i) history.push_back(record[i].Move);
  CAnalysisSettings settings;
  settings.MultiPv = LineCountBox->value();
  if (UseOutsideBox->isChecked()) settings.EngineCommand = OutsideCommand;
  CPositionAnalysis& engine = EngineOnDemand();
  engine.SetSettings(settings);
  AnalysedKey = key;
  AnalysedPosition = g_Game->Position();
  AnalysedRedToMove = g_Game->RedToMove ? 1 : 0;
  Last = CAnalysisReport {};
  CurrentId = engine.Analyse(AnalysedPosition, AnalysedRedToMove, history);
  Last.PositionId = CurrentId;
  ShowReport();
}

void CAnalysisDock::Pause(const QString& why) {
  if (Engine) Engine->Stop();
  AnalysedKey.clear();
  CurrentId = 0;
  Last = CAnalysisReport {};
  ShowReport();
  if (!why.isEmpty()) PaceLabel->setText(why);
}

void CAnalysisDock::StopAll() {
  On = false;
  HintPending = false;
  Pause(QString());
}

void CAnalysisDock::ShowHint() {
  if (!CanHint()) return;
  const std::string key = BoardKey(*g_Game);
  if (key == AnalysedKey && !Last.Lines.empty()) {
    PlaceHint();
    return;
  }
  HintPending = true;
  // With the analysis on, its first line is the hint; else a short search.
  HintTimeUp = On;
  Restart(false);
  if (!On) {
    // After a change of position meanwhile, the first line of the new one serves.
    QTimer::singleShot(HINT_SEARCH_MS, this, [this] {
      if (!HintPending) return;
      HintTimeUp = true;
      if (!Last.Lines.empty()) PlaceHint();
    });
  }
}

void CAnalysisDock::PlaceHint() {
  HintPending = false;
  const bool idle = CanHint() && BoardKey(*g_Game) == AnalysedKey;
  const CMove best = Last.Lines.empty() || Last.Lines[0].Moves.empty() ? CMove {} : Last.Lines[0].Moves[0];
  if (!On) Pause(QString());
  // The painter is read by the computer's worker while it plays: set only when idle.
  if (!idle || !best.IsComplete()) return;
  View->Painter.HintFrom = best.From;
  View->Painter.HintTo = best.To;
  HintKey = BoardKey(*g_Game);
  View->Redraw();
  emit HintShown();
}

void CAnalysisDock::TakeReport(const CAnalysisReport& report) {
  if (report.PositionId != CurrentId || CurrentId == 0) return;
  Last = report;
  ShowReport();
  if (!HintPending) return;
  if (!Last.Lines.empty() && (HintTimeUp || report.Finished)) {
    PlaceHint();
  } else if (report.Finished) {
    // No move to suggest (the side to move has none).
    HintPending = false;
    if (!On) Pause(QString());
  }
}

void CAnalysisDock::ShowReport() {
  if (CurrentId == 0) {
    ScoreLabel->setText(QStringLiteral("--"));
    PaceLabel->setText(On ? QString() : QStringLiteral("分析未开启"));
    LinesBox->clear();
    return;
  }
  if (Last.Failed) {
    ScoreLabel->setText(QStringLiteral("--"));
    PaceLabel->setText(QStringLiteral("外部引擎出错, 分析停止"));
    LinesBox->setPlainText(QStringLiteral("外部引擎出错: %1").arg(QString::fromStdString(Last.Failure)));
    return;
  }
  PaceLabel->setText(AnalysisPaceText(Last));
  if (Last.Lines.empty()) {
    ScoreLabel->setText(QStringLiteral("--"));
    LinesBox->setPlainText(Last.Finished ? QStringLiteral("没有可走的着法") : QStringLiteral("思考中..."));
    return;
  }
  ScoreLabel->setText(AnalysisScoreText(Last.Lines[0]));
  QStringList rows;
  int number = 1;
  for (const CAnalysisLine& line : Last.Lines) {
    rows << QStringLiteral("%1. %2 (%3层) %4")
                .arg(number++)
                .arg(AnalysisScoreText(line))
                .arg(line.Depth)
                .arg(AnalysisMovesText(AnalysedPosition, AnalysedRedToMove, line));
  }
  // Rewriting unchanged text would reset the reader's scroll position.
  const QString text = rows.join(QLatin1Char('\n'));
  if (LinesBox->toPlainText() != text) LinesBox->setPlainText(text);
}
