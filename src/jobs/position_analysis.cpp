#include "jobs/position_analysis.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "common/tick.h"
#include "engine/engine_position.h"
#include "engine/principal_line.h"
#include "engine/score_units.h"

namespace {

constexpr int kMaxMultiPv = 8;
constexpr int kMaxLineMoves = 64;
constexpr int kNullMoveMinPieces = 6;

uint64_t PerSecond(uint64_t nodes, uint32_t ms) { return nodes * 1000 / std::max<uint32_t>(ms, 1); }

}  // namespace

CJobError CheckAnalysisSettings(const CAnalysisSettings& settings) {
  if (auto e = CheckRange("MultiPv", settings.MultiPv, 1, kMaxMultiPv)) return e;
  if (settings.EvalModel != EVAL_MODEL_DEFAULT && settings.EvalModel != EVAL_MODEL_ANN)
    return OutOfRange("EvalModel", settings.EvalModel, EVAL_MODEL_DEFAULT, EVAL_MODEL_ANN);
  if (auto e = CheckRange("TickIntervalMs", settings.TickIntervalMs, 50, 5000)) return e;
  return CheckRange("MaxDepth", settings.MaxDepth, 1, DEFAULT_MAX_DEPTH);
}

CPositionAnalysis::CPositionAnalysis(const CAnalysisSettings& settings)
    : Engine(std::make_unique<CSearchEngine>()) {
  // The search takes a book move at a game's first move whatever UseBook
  // says, and a book move has no score: this engine has no book.
  Engine->Book.Reset();
  SetSettings(settings);
}

CPositionAnalysis::~CPositionAnalysis() { Stop(); }

void CPositionAnalysis::SetSettings(const CAnalysisSettings& settings) {
  Settings = settings;
  Settings.MultiPv = std::clamp(Settings.MultiPv, 1, kMaxMultiPv);
  Settings.TickIntervalMs = std::clamp(Settings.TickIntervalMs, 50, 5000);
  Settings.MaxDepth = std::clamp(Settings.MaxDepth, 1, DEFAULT_MAX_DEPTH);
}

uint64_t CPositionAnalysis::Analyse(const CPosition& position, int redToMove, const std::vector<CMove>& history) {
  StopWorker();
  if (Settings.EngineCommand != OutsideCommand) QuitOutside();
  Position = position;
  RedToMove = redToMove ? 1 : 0;
  const uint64_t id = ++NextId;
  {
    std::lock_guard<std::mutex> lock(ReportMutex);
    Last = CAnalysisReport {};
    Last.PositionId = id;
  }

  CSearchEngine& engine = *Engine;
  engine.Reset();
  engine.UseBook = 0;
  engine.MaxIterTime = INT_MAX;
  engine.MaxSearchTime = INT_MAX;
  engine.Evaluator.EvalModel = Settings.EvalModel;
  engine.TickIntervalMs = Settings.TickIntervalMs;
  engine.Position = position;
  engine.Record.Reset();
  // The latest moves only, when the game is longer than the record.
  const size_t first = history.size() > MAX_RECORD_ENTRIES - 1 ? history.size() - (MAX_RECORD_ENTRIES - 1) : 0;
  for (size_t i = first; i < history.size(); ++i) engine.Record[engine.Record.Length++].Move = history[i];
  engine.Record.Current = engine.Record.Length - 1;
  if (Settings.EngineCommand.empty() && !engine.IsReady()) return id;

  Running.store(true);
  Worker = std::thread([this, id] { Work(id); });
  return id;
}

void CPositionAnalysis::Stop() {
  StopWorker();
  QuitOutside();
}

void CPositionAnalysis::StopWorker() {
  if (!Worker.joinable()) return;
  StopFlag.store(true);
  // A search clears EngineIdle when it starts: keep asking until the worker ended.
  while (Running.load()) {
    Engine->EngineIdle.store(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Worker.join();
  StopFlag.store(false);
}

CAnalysisReport CPositionAnalysis::LastReport() const {
  std::lock_guard<std::mutex> lock(ReportMutex);
  return Last;
}

void CPositionAnalysis::Publish(CAnalysisReport report) {
  if (StopAsked()) return;
  {
    std::lock_guard<std::mutex> lock(ReportMutex);
    Last = report;
  }
  if (OnReport) OnReport(report);
}

void CPositionAnalysis::Work(uint64_t id) {
  if (!Settings.EngineCommand.empty()) {
    WorkOutside(id);
    Running.store(false);
    return;
  }
  if (Settings.MultiPv == 1) SearchSingleLine(id);
  else SearchSeveralLines(id);
  CSearchEngine& engine = *Engine;
  engine.OnIteration = nullptr;
  engine.OnTick = nullptr;
  engine.ClearBannedMoves();
  if (!StopAsked()) {
    CAnalysisReport report = LastReport();
    report.PositionId = id;
    report.Finished = true;
    Publish(report);
  }
  Running.store(false);
}

CAnalysisLine CPositionAnalysis::LineOfSearch(int score, int depth) {
  CSearchEngine& engine = *Engine;
  CAnalysisLine line;
  line.Depth = depth;
  const int own = ScoreCentipawns(score, Settings.EvalModel);
  line.RedCentipawns = RedToMove ? own : -own;
  line.Mate = IsMateScore(score);
  if (line.Mate) line.MateMoves = MateMovesWithin(depth);
  CMove pv[kMaxLineMoves];
  const int count = engine.PrincipalVariation(RedToMove, pv, kMaxLineMoves);
  line.Moves = PlayableLine(Position, RedToMove, std::vector<CMove>(pv, pv + count));
  return line;
}

void CPositionAnalysis::SearchSingleLine(uint64_t id) {
  CSearchEngine& engine = *Engine;
  CAnalysisLine mateLine;  // the line where a mate first showed, for its distance
  engine.MaxDepth = Settings.MaxDepth;
  engine.OnIteration = [&](const CIterationInfo& info) {
    CAnalysisLine line = LineOfSearch(info.Score, info.Depth);
    if (line.Mate && mateLine.Mate && (line.RedCentipawns > 0) == (mateLine.RedCentipawns > 0))
      line.MateMoves = mateLine.MateMoves;
    mateLine = line;
    CAnalysisReport report;
    report.PositionId = id;
    report.IterationDone = true;
    report.Depth = info.Depth;
    report.Nodes = info.Nodes;
    report.ElapsedMs = info.ElapsedMs;
    report.NodesPerSecond = PerSecond(info.Nodes, info.ElapsedMs);
    report.Lines.push_back(std::move(line));
    Publish(std::move(report));
  };
  engine.OnTick = [&](const CIterationInfo& info) {
    CAnalysisReport report = LastReport();
    report.PositionId = id;
    report.IterationDone = false;
    report.Depth = info.Depth;
    report.Nodes = info.Nodes;
    report.ElapsedMs = info.ElapsedMs;
    report.NodesPerSecond = PerSecond(info.Nodes, info.ElapsedMs);
    Publish(std::move(report));
  };
  engine.FindBestMove(RedToMove, NullMoveAllowed(engine, kNullMoveMinPieces));
}

void CPositionAnalysis::SearchSeveralLines(uint64_t id) {
  CSearchEngine& engine = *Engine;
  const uint32_t start = GetTick();
  uint64_t nodesBefore = 0;  // nodes of the searches already finished
  int depth = 1;
  engine.OnTick = [&](const CIterationInfo& info) {
    CAnalysisReport report = LastReport();
    report.PositionId = id;
    report.IterationDone = false;
    report.Depth = depth;
    report.Nodes = nodesBefore + info.Nodes;
    report.ElapsedMs = GetTick() - start;
    report.NodesPerSecond = PerSecond(report.Nodes, report.ElapsedMs);
    Publish(std::move(report));
  };
  std::vector<CAnalysisLine> previous;
  for (; depth <= Settings.MaxDepth && !StopAsked(); ++depth) {
    std::vector<CAnalysisLine> lines;
    engine.ClearBannedMoves();
    for (int k = 0; k < Settings.MultiPv; ++k) {
      engine.MaxDepth = depth;
      const int found = engine.FindBestMove(RedToMove, NullMoveAllowed(engine, kNullMoveMinPieces));
      nodesBefore += engine.NodeCount;
      if (StopAsked()) return;
      if (!found || !engine.BestMove.IsComplete()) break;
      CAnalysisLine line = LineOfSearch(engine.BestScore, depth);
      // A mate seen at a shallower depth keeps its shorter distance.
      for (const CAnalysisLine& was : previous)
        if (line.Mate && was.Mate && !was.Moves.empty() && !line.Moves.empty() && was.Moves[0] == line.Moves[0] &&
            was.RedCentipawns == line.RedCentipawns)
          line.MateMoves = std::min(line.MateMoves, was.MateMoves);
      lines.push_back(std::move(line));
      engine.BanMove(engine.BestMove);
    }
    if (lines.empty()) return;
    const int sign = RedToMove ? 1 : -1;
    std::stable_sort(lines.begin(), lines.end(), [sign](const CAnalysisLine& a, const CAnalysisLine& b) {
      return sign * a.RedCentipawns > sign * b.RedCentipawns;
    });
    CAnalysisReport report;
    report.PositionId = id;
    report.IterationDone = true;
    report.Depth = depth;
    report.Nodes = nodesBefore;
    report.ElapsedMs = GetTick() - start;
    report.NodesPerSecond = PerSecond(report.Nodes, report.ElapsedMs);
    report.Lines = lines;
    Publish(std::move(report));
    previous = std::move(lines);
    const bool allMates = std::all_of(previous.begin(), previous.end(), [](const CAnalysisLine& l) { return l.Mate; });
    if (allMates) return;
  }
}
