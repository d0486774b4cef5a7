// The analysis worker when an outside UCI engine thinks: the program is
// started once and kept, each position gets "go infinite", and its "info"
// lines become the reports until a restart or Stop says "stop".
#include <algorithm>

#include "common/tick.h"
#include "jobs/position_analysis.h"
#include "jobs/uci_xiangqi_talk.h"

namespace {

constexpr int kStopAnswerMs = 5000;  // for "bestmove" after "stop"; then the program is killed
constexpr int kQuitGraceMs = 1000;

}  // namespace

void CPositionAnalysis::QuitOutside() {
  if (!Outside) return;
  if (Outside->IsRunning()) Outside->WriteLine("quit");
  Outside->End(kQuitGraceMs);
  Outside.reset();
  OutsideCommand.clear();
}

bool CPositionAnalysis::OutsideStarted(std::string& error) {
  if (Outside && Outside->IsRunning()) return true;
  Outside = std::make_unique<CChildProcess>();
  OutsideCommand = Settings.EngineCommand;
  OutsideMultiPv = 1;
  if (StartUciXiangqi(*Outside, OutsideCommand, error)) return true;
  Outside->End(0);
  return false;
}

void CPositionAnalysis::Fail(uint64_t id, const std::string& why) {
  CAnalysisReport report = LastReport();
  report.PositionId = id;
  report.Finished = true;
  report.Failed = true;
  report.Failure = why;
  Publish(std::move(report));
}

void CPositionAnalysis::WorkOutside(uint64_t id) {
  std::string error;
  if (!OutsideStarted(error)) {
    Fail(id, error);
    return;
  }
  OutsideSearch(id);
}

void CPositionAnalysis::StopOutsideSearch() {
  CChildProcess& child = *Outside;
  child.WriteLine("stop");
  std::string line;
  for (;;) {
    if (child.ReadLine(line, kStopAnswerMs) != CReadStatus::Line) {
      // Silent or gone: a program that does not stop is not kept.
      child.End(0);
      return;
    }
    if (line.compare(0, 8, "bestmove") == 0) return;
  }
}

void CPositionAnalysis::OutsideSearch(uint64_t id) {
  CChildProcess& child = *Outside;
  if (OutsideMultiPv != Settings.MultiPv) {
    child.WriteLine("setoption name MultiPV value " + std::to_string(Settings.MultiPv));
    OutsideMultiPv = Settings.MultiPv;
  }
  child.WriteLine(UciPositionCommand(Position, RedToMove, {}, 0));
  child.WriteLine("go infinite");

  const uint32_t start = GetTick();
  uint32_t lastTick = start;
  // One slot a line, by the engine's "multipv" number; empty until it is reported.
  std::vector<CAnalysisLine> slots(static_cast<size_t>(Settings.MultiPv));
  CAnalysisReport report;
  report.PositionId = id;
  const auto publish = [&](bool iterationDone) {
    report.IterationDone = iterationDone;
    report.ElapsedMs = std::max<uint32_t>(report.ElapsedMs, GetTick() - start);
    report.Lines.clear();
    for (const CAnalysisLine& line : slots)
      if (line.Depth > 0) report.Lines.push_back(line);
    lastTick = GetTick();
    Publish(report);
  };

  std::string text;
  for (;;) {
    const CReadStatus status = child.ReadLine(text, Settings.TickIntervalMs, [this] { return StopAsked(); });
    if (status == CReadStatus::Stopped) {
      StopOutsideSearch();
      return;
    }
    if (status == CReadStatus::Closed) {
      child.End(0);
      Fail(id, "the engine " + OutsideCommand + " ended");
      return;
    }
    if (status == CReadStatus::TimeOut) {
      if (report.Depth > 0) publish(false);
      continue;
    }
    if (text.compare(0, 8, "bestmove") == 0) {
      // It stopped by itself (no move to search): nothing more comes.
      report.Finished = true;
      publish(false);
      return;
    }
    CUciInfo info;
    if (!ParseUciInfo(text, info)) continue;
    if (info.Depth > 0) report.Depth = info.Depth;
    if (info.Nodes > 0) report.Nodes = info.Nodes;
    if (info.TimeMs > 0) report.ElapsedMs = info.TimeMs;
    if (info.NodesPerSecond > 0) report.NodesPerSecond = info.NodesPerSecond;
    if (info.HasScore && info.Mate && info.MateMoves == 0 && info.Pv.empty()) {
      // Mated already: the side to move has no move.
      report.Finished = true;
      publish(false);
      continue;
    }
    const bool lineOfMoves = info.HasScore && !info.Bound && !info.Pv.empty() && info.Depth > 0 &&
                             info.MultiPv >= 1 && info.MultiPv <= Settings.MultiPv;
    if (lineOfMoves) {
      CAnalysisLine line;
      line.Depth = info.Depth;
      line.RedCentipawns = RedToMove ? info.Centipawns : -info.Centipawns;
      line.Mate = info.Mate;
      line.MateMoves = info.MateMoves;
      line.Moves = MovesOfUciLine(Position, RedToMove, info.Pv);
      if (line.Moves.empty()) continue;  // not a line of this position
      slots[static_cast<size_t>(info.MultiPv - 1)] = std::move(line);
      publish(true);
    } else if (report.Depth > 0 && GetTick() - lastTick >= static_cast<uint32_t>(Settings.TickIntervalMs)) {
      publish(false);
    }
  }
}
