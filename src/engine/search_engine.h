#pragma once
// Chooses the computer's move: the opening book first, then iterative
// deepening with NegaScout (principal variation search) or MTD(f) over a
// fail-soft alpha-beta with a transposition table, verified null move, hash
// move, killers, history and repetition detection. One large aggregate owned
// by the game object (construct it on the heap); nothing is allocated during
// a search.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/evaluator.h"
#include "engine/opening_book.h"
#include "engine/score.h"
#include "engine/trans_table.h"
#include "record/game_record.h"
#include "rules/move_generator.h"
#include "rules/position.h"

constexpr int DEFAULT_HASH_ENTRIES = 1048576;
// The iterations a search may run when nobody caps them (tarvo-cli go and
// play, the desktop program); the path arrays hold 128 plies.
constexpr int DEFAULT_MAX_DEPTH = 124;
constexpr uint64_t NO_NODE_LIMIT = UINT64_MAX;
constexpr int MAX_BANNED_MOVES = 128;

constexpr int SEARCH_NEGASCOUT = 0;
constexpr int SEARCH_MTDF = 1;

// What one finished iteration reports (command line, UCCI).
struct CIterationInfo {
  int Depth = 0;  // IterDepth + 1
  int Score = 0;  // the iteration's root score
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
  int32_t SearchMode = SEARCH_NEGASCOUT;
  int32_t MaxDepth = DEFAULT_MAX_DEPTH;  // iterations for depths 0 .. MaxDepth - 1 (at most 128)
  int32_t MaxIterTime = 3000;
  int32_t MaxSearchTime = 4000;
  // Like MaxSearchTime, a count of AlphaBeta calls after which the search
  // stops. No limit stops the first iteration: it always finishes.
  uint64_t MaxNodes = NO_NODE_LIMIT;
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
  uint64_t NodeCount = 0;  // AlphaBeta calls of the last FindBestMove

  // The objects the search works on; the game plays moves on Position and Record.
  CTransTable TransTable;
  COpeningBook Book;
  CEvaluator Evaluator;
  CMoveGenerator Generator;
  CPosition Position;
  CGameRecord Record;

  // Root moves the search must not play (a protocol's banned moves: long
  // check and long chase); kept until ClearBannedMoves.
  CMove BannedMoves[MAX_BANNED_MOVES] {};
  int32_t BannedCount = 0;
  // 0 when the list is full.
  int BanMove(const CMove& move);
  void ClearBannedMoves() { BannedCount = 0; }
  bool IsBanned(const CMove& move) const;

  // Whether the transposition table is set up; without it the engine refuses to search.
  bool IsReady() const { return TransTable.HasTables(); }
  // Why the engine cannot search (empty when it can).
  std::string NotReadyReason() const;

  void Reset();
  // Whether the book holds entries but none for the start position: its
  // locks were then made from other position keys than the key file's, and
  // it will never answer. Posts a BookKeysDiffer notice when so.
  bool CheckBookKeys() const;
  // 1 when BestMove holds a complete move: whenever the side to move has a
  // legal move that is not refused at the root (a lost position gets its
  // first searched legal move with BestScore -MATE_SCORE). Sets BestScore,
  // IterDepth, Elapsed.
  int FindBestMove(int redToMove, int nullAllowed);
  // Score for the side to move, or NO_SCORE on abort. Expects the keys of
  // Position in TransTable, EngineIdle 0 and StartTick set (FindBestMove does that).
  int AlphaBeta(int redToMove, int nullAllowed, int depth, int alpha, int beta);
  int MtdfDriver(int redToMove, int nullAllowed, int depth, int firstGuess);
  bool IsWin() const { return BestScore == MATE_SCORE; }
  bool IsLoss() const { return BestScore == -MATE_SCORE; }

  // Plies the null move skips besides its own: 1, or 2 above depth 6.
  static int NullMoveReduction(int depth) { return 1 + (depth > 6 ? 1 : 0); }
  // How often the board after the move already stood in the game record since
  // its last capture (counting stops at 3).
  int HistoryRepetitionCount(const CMove& move);
  // BestMove followed by the hash moves of the tables; up to maxCount moves.
  int PrincipalVariation(int redToMove, CMove* moves, int maxCount);

  // Called after every finished iteration (on the searching thread).
  std::function<void(const CIterationInfo&)> OnIteration;
  // Called on the searching thread about every TickIntervalMs while an
  // iteration runs, deep inside the search: Depth, ElapsedMs and Nodes are
  // current, Score and BestMove are the last finished iteration's. It must
  // not touch the position or the tables.
  std::function<void(const CIterationInfo&)> OnTick;
  int32_t TickIntervalMs = 250;

 private:
  friend class CSearchEngineTestAccess;  // tests reach the path state

  struct CNodeWindow {
    int Alpha;
    int Beta;
    int Best;
    CMove BestMove;
    bool Raised;  // some move raised alpha
  };
  enum class CStep { Continue, CutOff, Abort };

  int TryBookMove(int redToMove);
  CStep SearchMove(int redToMove, int nullAllowed, int depth, const CMove& move, CNodeWindow& node);
  bool IsPathRepetition(int depth);
  bool RefusedAtRoot(int depth, const CMove& move);
  bool IsLegalAtRoot(int redToMove, const CMove& move);
  void OrderByHistory(CMove** moves, int count, int at) const;
  // The lazy history order of one stage's moves at one node.
  struct CStageOrder {
    CMove** Moves;
    int Count;
    int Ordered;       // the last position already in place
    int32_t* Values;   // the counters read once (depths 0 and 1), or none
  };
  CStageOrder BeginStage(CMove** moves, int count, int depth);
  // Brings the move for position at into place, once: a second pass would
  // reorder the rest.
  void OrderNext(CStageOrder& stage, int at, int redToMove);
  static void OrderByValues(CMove** moves, int32_t* values, int count, int at);
  int32_t StageValues[2][MAX_MOVES] {};
  void RewardMove(int depth, const CMove& move);
  void ClearPath();
  int HistoryOf(const CMove& move) const {
    return History[PieceSide[move.Piece] & 1][move.From.Index()][move.To.Index()];
  }

  // The clock is read at the first node of every iteration and then every
  // CLOCK_NODES nodes: far less than a millisecond of search, the clock's
  // own resolution, so every limit ends the search when it did before.
  static constexpr uint64_t CLOCK_NODES = 256;
  uint64_t NextClockNode = 0;  // NodeCount at which the clock is read next
  uint32_t NextTickMs = 0;     // Elapsed at which OnTick is called next
  void Tick();

  CMove LosingMove;  // the first legal root move found to lose
  CMove PathMoves[128] {};
  int32_t PathSeen[65536] {};
  CMove KillerStore[256] {};
  CMove* Killers[128][2] {};
  int32_t History[2][256][256] {};
  int32_t ScratchBoard[256] {};
};
