#pragma once
// The engine thinking about one position without end, on a worker thread,
// for an analysis view: several times a second the depth and speed, and at
// each finished iteration the best lines with their scores. A new position
// restarts it; Stop and the destructor end the worker before they return.
//
// Several lines (MultiPv > 1) are searched one after the other at each
// depth, each with the root moves of the lines before it banned, so the
// search itself is the single-line one.
//
// With an outside engine's command in the settings, that UCI program
// analyses instead: started once and kept between positions, "go infinite"
// on each, its "info" lines read into the same reports. A restart stops its
// search; Stop and the destructor also end the program.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/search_engine.h"
#include "jobs/child_process.h"
#include "jobs/job.h"

struct CAnalysisSettings {
  int MultiPv = 1;                      // lines shown, 1 .. 8
  int EvalModel = EVAL_MODEL_DEFAULT;   // piece values: scores in pawns
  int TickIntervalMs = 250;             // progress reports, 50 .. 5000 ms
  int MaxDepth = DEFAULT_MAX_DEPTH;     // plies; the worker idles after it, 1 .. DEFAULT_MAX_DEPTH
  std::string EngineCommand;            // an outside UCI engine program; empty: our own engine
};

// The first setting out of range, or no error.
CJobError CheckAnalysisSettings(const CAnalysisSettings& settings);

// One line of the analysis.
struct CAnalysisLine {
  int Depth = 0;          // plies of the iteration that found it
  int RedCentipawns = 0;  // from red's side; +-MATE_CENTIPAWNS for a mate
  bool Mate = false;      // a forced mate; the sign of RedCentipawns says whose
  int MateMoves = 0;      // the mate comes within this many moves of the winner
  std::vector<CMove> Moves;  // legal from the position, best first
};

struct CAnalysisReport {
  uint64_t PositionId = 0;  // the Analyse call it belongs to
  bool IterationDone = false;  // false: a progress tick (Lines as last reported)
  bool Finished = false;    // the worker has stopped by itself (mate found, depth reached, no move)
  int Depth = 0;            // the iteration now running (or just finished)
  uint64_t Nodes = 0;
  uint64_t NodesPerSecond = 0;
  uint32_t ElapsedMs = 0;
  std::vector<CAnalysisLine> Lines;  // best first
  bool Failed = false;      // the outside engine did not start or ended (Finished is set too)
  std::string Failure;      // why, naming the engine's command
};

class CPositionAnalysis {
 public:
  // Builds its own engine (tables and network); settings are checked by the
  // caller with CheckAnalysisSettings and clamped here.
  explicit CPositionAnalysis(const CAnalysisSettings& settings = {});
  ~CPositionAnalysis();
  CPositionAnalysis(const CPositionAnalysis&) = delete;
  CPositionAnalysis& operator=(const CPositionAnalysis&) = delete;

  // Called on the worker thread; a front end posts the report to its own
  // thread. Set before the first Analyse.
  std::function<void(const CAnalysisReport&)> OnReport;

  // Stops any analysis and starts one on the position. history holds the
  // game's moves that led to it (for the repetition rules), oldest first.
  // Returns the id its reports carry.
  uint64_t Analyse(const CPosition& position, int redToMove, const std::vector<CMove>& history = {});
  // Ends the worker and the outside engine; no report is made after it returns.
  void Stop();
  // Takes effect at the next Analyse.
  void SetSettings(const CAnalysisSettings& settings);
  // Whether a worker thread is searching.
  bool IsRunning() const { return Running.load(); }
  // Whether the engine can search (tables set up); otherwise Analyse does nothing.
  bool IsReady() const { return !Settings.EngineCommand.empty() || Engine->IsReady(); }
  // The last report made for the current position (empty before any).
  CAnalysisReport LastReport() const;

  const CPosition& AnalysedPosition() const { return Position; }
  int AnalysedRedToMove() const { return RedToMove; }

 private:
  void Work(uint64_t id);
  // Ends the worker; the outside engine, when there is one, stays for the next position.
  void StopWorker();
  void QuitOutside();
  // The outside engine's part of the worker (position_analysis_outside.cpp).
  void WorkOutside(uint64_t id);
  bool OutsideStarted(std::string& error);
  void OutsideSearch(uint64_t id);
  void StopOutsideSearch();
  void Fail(uint64_t id, const std::string& why);
  void SearchSingleLine(uint64_t id);
  void SearchSeveralLines(uint64_t id);
  CAnalysisLine LineOfSearch(int score, int depth);
  void Publish(CAnalysisReport report);
  bool StopAsked() const { return StopFlag.load(); }

  std::unique_ptr<CSearchEngine> Engine;
  CAnalysisSettings Settings;
  CPosition Position;
  int RedToMove = 1;
  uint64_t NextId = 0;

  std::thread Worker;
  std::atomic<bool> StopFlag {false};
  std::atomic<bool> Running {false};
  std::unique_ptr<CChildProcess> Outside;  // used by the worker, or with none running
  std::string OutsideCommand;              // what Outside runs
  int OutsideMultiPv = 1;                  // the MultiPV it was last set to
  mutable std::mutex ReportMutex;
  CAnalysisReport Last;
};
