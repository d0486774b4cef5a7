#pragma once
// Chooses the computer's move: the opening book first, then iterative
// deepening with NegaScout (principal variation search) or MTD(f) over a
// fail-soft alpha-beta with a transposition table, verified null move, hash
// move, killers, history and repetition detection. One large aggregate owned
// by the game object; nothing is allocated during a search.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/evaluator.h"
#include "engine/opening_book.h"
#include "engine/trans_table.h"
#include "game/game_record.h"
#include "rules/move_generator.h"
#include "rules/position.h"

constexpr int MATE_SCORE = 536870912;  // the side to move wins; no distance-to-mate
constexpr int NO_SCORE = 987654321;    // aborted search / no score
constexpr int DEFAULT_HASH_ENTRIES = 1048576;

// What one finished iteration reports (command line, UCCI).
struct CIterationInfo {
  int Depth = 0;  // IterDepth + 1
  int Score = 0;
  uint32_t ElapsedMs = 0;
  uint64_t Nodes = 0;
  CMove BestMove;
};

class CSearchEngine {
 public:
  CSearchEngine();  // tables of DEFAULT_HASH_ENTRIES, book, evaluator, then Reset
  ~CSearchEngine();
  CSearchEngine(const CSearchEngine&) = delete;
  CSearchEngine& operator=(const CSearchEngine&) = delete;

  // Settings.
  int32_t SearchMode = 0;  // 0 NegaScout, 1 MTD(f)
  int32_t MaxDepth = 124;
  int32_t MaxIterTime = 3000;
  int32_t MaxSearchTime = 4000;
  int32_t UseBook = 1;
  int32_t RandomBook = 0;
  int32_t UseNullMove = 1;

  // State and results.
  std::atomic<int> EngineIdle {1};  // any thread may set it to 1 to stop a search
  int32_t RootInCheck = 0;
  int32_t IterDepth = 0;
  uint32_t StartTick = 0;
  uint32_t Elapsed = 0;
  int32_t BestScore = NO_SCORE;
  CMove BestMove;
  int32_t PrevScore = NO_SCORE;
  CMove PrevMove;
  uint64_t NodeCount = 0;  // nodes searched by the last FindBestMove

  // The objects the search works on; the game plays moves on Position and Record.
  CTransTable TransTable;
  COpeningBook Book;
  CEvaluator Evaluator;
  CMoveGenerator Generator;
  CPosition Position;
  CGameRecord Record;

  // Whether the transposition table is set up; without it the engine refuses to search.
  bool IsReady() const { return TransTable.HasTables(); }
  // Why the engine cannot search (empty when it can).
  std::string NotReadyReason() const;

  void Reset();
  // 1 when BestMove holds a complete move. Sets BestScore, IterDepth, Elapsed.
  int FindBestMove(int redToMove, int nullAllowed);
  int AlphaBeta(int redToMove, int nullAllowed, int depth, int alpha, int beta);
  int MtdfDriver(int redToMove, int nullAllowed, int depth, int firstGuess);
  bool IsWin() const { return BestScore == MATE_SCORE; }
  bool IsLoss() const { return BestScore == -MATE_SCORE; }

  // Called after every finished iteration (on the searching thread).
  std::function<void(const CIterationInfo&)> OnIteration;

 private:
  CMove PathMoves[128];
  int32_t PathSeen[65536];
  CMove KillerStore[256];
  CMove* Killers[128][2];
  int32_t History[2][256][256];
};
