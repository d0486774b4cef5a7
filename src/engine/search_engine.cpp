#include "engine/search_engine.h"

#include <algorithm>
#include <cstring>

#include "common/notices.h"
#include "common/tick.h"
#include "rules/move_rules.h"

namespace {

constexpr int kRootWindow = MATE_SCORE;

bool SameBoard(const int32_t* a, const int32_t* b) { return std::memcmp(a, b, 256 * sizeof(int32_t)) == 0; }

}  // namespace

CSearchEngine::CSearchEngine() {
  for (int d = 0; d < 128; ++d) {
    Killers[d][0] = &KillerStore[2 * d];
    Killers[d][1] = &KillerStore[2 * d + 1];
  }
  TransTable.Setup(DEFAULT_HASH_ENTRIES);
  Evaluator.InitDefaultAnnList();
  Reset();
  CheckBookKeys();
}

bool CSearchEngine::CheckBookKeys() const {
  if (Book.Nodes.empty()) return false;
  const uint64_t lock = TransTable.LockOf(CPosition {});
  BookNode first;
  if (Book.Candidates(static_cast<uint32_t>(lock), static_cast<int32_t>(lock >> 32), 1, &first, 1) > 0)
    return false;
  PostNotice(CNoticeKind::BookKeysDiffer, "book/book.tab");
  return true;
}

CSearchEngine::~CSearchEngine() { Reset(); }

void CSearchEngine::Reset() {
  SearchMode = SEARCH_NEGASCOUT;
  RandomBook = 0;
  RootInCheck = 0;
  IterDepth = 0;
  StartTick = 0;
  Elapsed = 0;
  MaxDepth = DEFAULT_MAX_DEPTH;
  MaxIterTime = 3000;
  MaxSearchTime = 4000;
  MaxNodes = NO_NODE_LIMIT;
  BannedCount = 0;
  UseBook = 1;
  UseNullMove = 1;
  EngineIdle.store(1);
  BestScore = NO_SCORE;
  PrevScore = NO_SCORE;
}

std::string CSearchEngine::NotReadyReason() const {
  if (IsReady()) return {};
  return "the transposition table is not set up: the key file " + CTransTable::KeyFilePath() +
         " could not be read or written";
}

int CSearchEngine::BanMove(const CMove& move) {
  if (IsBanned(move)) return 1;
  if (BannedCount >= MAX_BANNED_MOVES) return 0;
  BannedMoves[BannedCount++] = move;
  return 1;
}

bool CSearchEngine::IsBanned(const CMove& move) const {
  for (int i = 0; i < BannedCount; ++i)
    if (BannedMoves[i].Piece == move.Piece && BannedMoves[i].From == move.From && BannedMoves[i].To == move.To)
      return true;
  return false;
}

void CSearchEngine::ClearPath() {
  for (auto& move : PathMoves) move = CMove {};
  std::memset(PathSeen, 0, sizeof PathSeen);
}

int CSearchEngine::FindBestMove(int redToMove, int nullAllowed) {
  const int s = redToMove ? 1 : 0;
  const int n = nullAllowed ? 1 : 0;
  NodeCount = 0;
  BestMove = CMove {};
  if (!IsReady()) {  // no tables: never search
    BestScore = NO_SCORE;
    Elapsed = 0;
    return 0;
  }

  const CEvaluator::CSearchScope packedWeights(Evaluator);
  StartTick = GetTick();
  EngineIdle.store(0);
  RootInCheck = IsInCheck(Position, s);
  TransTable.NewGeneration();
  TransTable.ResetKeys(Position);
  LosingMove = CMove {};
  NextTickMs = static_cast<uint32_t>(std::max(TickIntervalMs, 1));

  if ((UseBook || Record.Current < 0) && TryBookMove(s)) {
    IterDepth = -1;
    BestScore = NO_SCORE;
    EngineIdle.store(1);
    Elapsed = GetTick() - StartTick;
    return 1;
  }

  BestScore = PrevScore = -MATE_SCORE;
  BestMove = PrevMove = CMove {};
  for (auto& killer : KillerStore) killer = CMove {};
  std::memset(History, 0, sizeof History);

  // Depth indexes 128-entry arrays; at least one iteration always runs.
  const int maxDepth = std::clamp(MaxDepth, 1, MAX_PLY);
  int guess = 0;
  for (IterDepth = 0; IterDepth < maxDepth; ++IterDepth) {
    NextClockNode = NodeCount;
    PrevScore = BestScore;
    PrevMove = BestMove;
    BestScore = -MATE_SCORE;
    BestMove = CMove {};
    int r;
    if (SearchMode == SEARCH_MTDF) {
      r = MtdfDriver(s, n, IterDepth, guess);
      guess = r;
    } else {
      ClearPath();
      r = AlphaBeta(s, n, IterDepth, -kRootWindow, kRootWindow);
    }
    // An aborted iteration ends the search: a later one would abort at once
    // and lose the root move found so far.
    if (r == NO_SCORE) break;
    Elapsed = GetTick() - StartTick;
    if (OnIteration) {
      CIterationInfo info;
      info.Depth = IterDepth + 1;
      info.Score = r;
      info.ElapsedMs = Elapsed;
      info.Nodes = NodeCount;
      info.BestMove = BestMove;
      OnIteration(info);
    }
    if (r == MATE_SCORE) {
      BestScore = MATE_SCORE;
      break;
    }
    // No root move at all (no legal move, or every one refused): deeper
    // iterations would say the same.
    if (r == -MATE_SCORE && !BestMove.IsComplete() && !LosingMove.IsComplete()) break;
    if (static_cast<int64_t>(Elapsed) >= MaxIterTime) break;
  }
  if (IterDepth >= maxDepth) IterDepth = maxDepth - 1;
  if (!BestMove.IsComplete() && PrevMove.IsComplete()) {
    BestScore = PrevScore;
    BestMove = PrevMove;
  }
  // Every move loses: play on with a legal one rather than give up a game
  // the opponent may still fail to win.
  if (!BestMove.IsComplete() && LosingMove.IsComplete()) {
    BestScore = -MATE_SCORE;
    BestMove = LosingMove;
  }
  EngineIdle.store(1);
  Elapsed = GetTick() - StartTick;
  return BestMove.IsComplete() ? 1 : 0;
}

void CSearchEngine::Tick() {
  NextTickMs = Elapsed + static_cast<uint32_t>(std::max(TickIntervalMs, 1));
  CIterationInfo info;
  info.Depth = IterDepth + 1;
  info.Score = PrevScore;
  info.ElapsedMs = Elapsed;
  info.Nodes = NodeCount;
  info.BestMove = PrevMove;
  OnTick(info);
}

int CSearchEngine::TryBookMove(int s) {
  const CPosition start;
  const int random = (RandomBook || TransTable.Lock64 == TransTable.LockOf(start)) ? 1 : 0;
  int piece = 0, toRow = 0, toCol = 0;
  if (!Book.Lookup(static_cast<uint32_t>(TransTable.Lock64), static_cast<int32_t>(TransTable.Lock64 >> 32), s,
                   random, piece, toRow, toCol))
    return 0;
  // The book file is outside data: keep every index in range before use.
  if (piece < 1 || piece > 32 || !IsPlayable(toRow, toCol)) return 0;
  CMove move;
  move.Piece = piece;
  move.From = Position.PieceSquare[piece];
  move.To = CSquare {toRow, toCol};
  move.Captured = Position.Board[move.To.Index()];
  if (!IsPseudoLegal(Position, s, move) || IsBanned(move)) return 0;
  if (!RootInCheck && HistoryRepetitionCount(move) >= 3) return 0;
  BestMove = move;
  return 1;
}

int CSearchEngine::HistoryRepetitionCount(const CMove& move) {
  Position.MakeMoveBoardOnly(move);
  std::memcpy(ScratchBoard, Position.Board, sizeof ScratchBoard);
  Position.UnmakeMoveBoardOnly(move);

  int count = 0;
  int i = std::min(Record.Current, MAX_RECORD_ENTRIES - 1);
  const int last = i;
  for (; i >= 0; --i) {
    const CMove& played = Record[i].Move;
    if (played.Piece == 0 || played.Captured != 0) break;
    Position.UnmakeMoveBoardOnly(played);
    if (SameBoard(Position.Board, ScratchBoard) && ++count > 2) {
      --i;
      break;
    }
  }
  for (int j = i + 1; j <= last; ++j) Position.MakeMoveBoardOnly(Record[j].Move);
  return count;
}

int CSearchEngine::MtdfDriver(int s, int n, int depth, int g) {
  int lower = -MATE_SCORE, upper = MATE_SCORE;
  // The root move of the last pass that failed high is the one its bound
  // proves; a pass that fails low only leaves upper bounds behind.
  CMove proven;
  int provenScore = -MATE_SCORE;
  while (lower < upper) {
    const int beta = g == lower ? g + 1 : g;
    ClearPath();
    BestScore = -MATE_SCORE;
    BestMove = CMove {};
    g = AlphaBeta(s, n, depth, beta - 1, beta);
    if (g == MATE_SCORE) return g;
    if (g == NO_SCORE) {
      if (proven.IsComplete()) {
        BestScore = provenScore;
        BestMove = proven;
      } else if (PrevMove.IsComplete()) {
        BestMove = CMove {};  // fall back to the previous iteration
      }
      return g;
    }
    if (g < beta) {
      upper = g;
    } else {
      lower = g;
      if (BestMove.IsComplete()) {
        proven = BestMove;
        provenScore = g;
      }
    }
  }
  if (proven.IsComplete()) {
    BestMove = proven;
    BestScore = g;
  }
  return g;
}

// One bubble pass from the end; the score of the move carried down is kept
// rather than looked up again.
void CSearchEngine::OrderByHistory(CMove** moves, int count, int at) const {
  if (count - 1 <= at) return;
  int carried = HistoryOf(*moves[count - 1]);
  for (int j = count - 1; j > at; --j) {
    const int before = HistoryOf(*moves[j - 1]);
    if (carried > before) std::swap(moves[j], moves[j - 1]);
    else carried = before;
  }
}

CSearchEngine::CStageOrder CSearchEngine::BeginStage(CMove** moves, int count, int depth) {
  CStageOrder stage {moves, count, -1, nullptr};
  // Below depths 0 and 1 no node of this side's colour rewards a move (the
  // grandchildren are leaves), so this side's counters stay as they are
  // for the whole stage and are read once.
  if (depth <= 1) {
    stage.Values = StageValues[depth];
    for (int i = 0; i < count; ++i) stage.Values[i] = HistoryOf(*moves[i]);
  }
  return stage;
}

void CSearchEngine::OrderNext(CStageOrder& stage, int at, int s) {
  auto pass = [&](int position) {
    if (stage.Values) OrderByValues(stage.Moves, stage.Values, stage.Count, position);
    else OrderByHistory(stage.Moves, stage.Count, position);
    stage.Ordered = position;
  };
  if (at > stage.Ordered) pass(at);
  // With the counters fixed for the stage, the next move is known now, and
  // its child's table slot loads while this move is searched.
  if (stage.Values && at + 1 < stage.Count) {
    pass(at + 1);
    TransTable.PrefetchAfter(*stage.Moves[at + 1], !s);
  }
}

// The same pass over counters read beforehand, moved along with their moves.
void CSearchEngine::OrderByValues(CMove** moves, int32_t* values, int count, int at) {
  if (count - 1 <= at) return;
  int carried = values[count - 1];
  for (int j = count - 1; j > at; --j) {
    const int before = values[j - 1];
    if (carried > before) {
      std::swap(moves[j], moves[j - 1]);
      values[j] = before;
      values[j - 1] = carried;
    } else {
      carried = before;
    }
  }
}

void CSearchEngine::RewardMove(int depth, const CMove& move) {
  std::swap(Killers[depth][0], Killers[depth][1]);
  *Killers[depth][0] = move;
  int32_t& counter = History[PieceSide[move.Piece] & 1][move.From.Index()][move.To.Index()];
  // 32-bit counter; wrapping is part of its arithmetic.
  counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + (2u << (depth % 32)));
}

bool CSearchEngine::RefusedAtRoot(int depth, const CMove& move) {
  return depth == IterDepth &&
         ((BannedCount > 0 && IsBanned(move)) || (!RootInCheck && HistoryRepetitionCount(move) >= 3));
}

bool CSearchEngine::IsLegalAtRoot(int s, const CMove& move) {
  Position.MakeMove(move);
  const bool exposed = IsInCheck(Position, s) != 0;
  Position.UnmakeMove(move);
  return !exposed;
}

bool CSearchEngine::IsPathRepetition(int depth) {
  std::memcpy(ScratchBoard, Position.Board, sizeof ScratchBoard);
  bool repeated = false;
  int i = depth;
  for (; i < 128; ++i) {
    const CMove& m = PathMoves[i];
    if (m.Piece == 0 || m.Captured != 0) break;
    Position.UnmakeMoveBoardOnly(m);
    if (SameBoard(Position.Board, ScratchBoard)) {
      repeated = true;
      ++i;
      break;
    }
  }
  for (int j = i - 1; j >= depth; --j) Position.MakeMoveBoardOnly(PathMoves[j]);
  return repeated;
}

CSearchEngine::CStep CSearchEngine::SearchMove(int s, int n, int depth, const CMove& m, CNodeWindow& node) {
  Position.MakeMove(m);
  TransTable.MakeMoveKeys(m);
  TransTable.Prefetch(!s);
  PathMoves[depth] = m;
  const uint32_t k = static_cast<uint32_t>(TransTable.Lock64) & 0xFFFFu;
  const bool repeated = PathSeen[k] != 0 && IsPathRepetition(depth);
  PathSeen[k] = 1;

  int v;
  if (repeated) {
    v = 0;
  } else if (!node.Raised) {
    v = -AlphaBeta(!s, n, depth - 1, -node.Beta, -node.Alpha);
  } else {
    v = -AlphaBeta(!s, n, depth - 1, -node.Alpha - 1, -node.Alpha);
    if (v != -NO_SCORE && v > node.Alpha && v < node.Beta)
      v = -AlphaBeta(!s, n, depth - 1, -node.Beta, -node.Alpha);
  }

  Position.UnmakeMove(m);
  PathMoves[depth] = CMove {};
  PathSeen[k] = 0;
  TransTable.UnmakeMoveKeys(m);
  if (v == -NO_SCORE) return CStep::Abort;

  if (depth == IterDepth) {
    if (v > BestScore) {
      BestScore = v;
      BestMove = m;
    } else if (v == -MATE_SCORE && !LosingMove.IsComplete() && IsLegalAtRoot(s, m)) {
      LosingMove = m;
    }
  }
  if (v > node.Best) {
    node.Best = v;
    if (v > node.Alpha) {
      node.Alpha = v;
      node.BestMove = m;
      node.Raised = true;
      if (node.Alpha >= node.Beta) return CStep::CutOff;
    }
  }
  return CStep::Continue;
}

int CSearchEngine::AlphaBeta(int s, int n, int depth, int alpha, int beta) {
  ++NodeCount;
  if (NodeCount >= NextClockNode) {
    Elapsed = GetTick() - StartTick;
    NextClockNode = NodeCount + CLOCK_NODES;
    if (OnTick && Elapsed >= NextTickMs) Tick();
  }
  // The first iteration always finishes, whatever the limits: it is short,
  // and it gives the side to move a searched move.
  if (IterDepth > 0 && (EngineIdle.load(std::memory_order_relaxed) != 0 ||
                        static_cast<int64_t>(Elapsed) >= MaxSearchTime || NodeCount > MaxNodes))
    return NO_SCORE;

  const int status = KingStatus(Position, s);
  if (status > 0) return MATE_SCORE;
  if (status < 0) return -MATE_SCORE;

  int hashPiece = 0;
  CSquare hashTo;
  {
    const HashEntry& entry = TransTable.Probe(s);
    if (TransTable.Matches(entry)) {
      hashPiece = entry.MovePiece;
      hashTo = CSquare {entry.MoveToRow, entry.MoveToCol};
      if (entry.Depth >= depth && entry.Value != NO_SCORE) {
        if (entry.Flag == HASH_EXACT) return entry.Value;
        if (entry.Flag == HASH_LOWER && entry.Value >= beta) return entry.Value;
        if (entry.Flag == HASH_UPPER && entry.Value <= alpha) return entry.Value;
      }
    }
  }

  if (depth < 0) {
    const int v = Evaluator.EvaluatePosition(Position, s, 127);
    if (v != NO_SCORE) TransTable.Store(s, HASH_EXACT, v, depth, 0, CSquare {});
    return v;
  }

  // The hash move comes first: its child's slot loads during the null move.
  if (hashPiece > 0 && hashPiece <= 32 && IsPlayable(hashTo.Row, hashTo.Col)) {
    const CMove ahead {hashPiece, Position.Board[hashTo.Index()], Position.PieceSquare[hashPiece], hashTo};
    TransTable.PrefetchAfter(ahead, !s);
  }

  // The root never passes: a cut-off there would end the iteration with a
  // bound and no move (in MTD(f)'s null-window passes, often).
  if (n && depth != IterDepth) {
    // The side to move passes; each side has its own table, so the keys stay.
    const int j = depth - NullMoveReduction(depth);
    const int v = -AlphaBeta(!s, 0, j - 1, -beta, -alpha);
    if (v == -NO_SCORE) return NO_SCORE;
    if (v >= beta) {
      const int w = AlphaBeta(s, 0, j, alpha, beta);
      if (w == NO_SCORE) return NO_SCORE;
      if (w >= beta) return v;
    }
  }

  CNodeWindow node {alpha, beta, -MATE_SCORE, CMove {}, false};
  CStep step = CStep::Continue;
  auto finishCutOff = [&]() {
    TransTable.Store(s, HASH_LOWER, node.Best, depth, node.BestMove.Piece, node.BestMove.To);
    RewardMove(depth, node.BestMove);
    return node.Best;
  };

  // 1. Hash move.
  CMove hashMove;
  if (hashPiece > 0 && hashPiece <= 32 && CanMoveTo(Position, s, hashPiece, hashTo)) {
    hashMove.Piece = hashPiece;
    hashMove.From = Position.PieceSquare[hashPiece];
    hashMove.To = hashTo;
    hashMove.Captured = Position.Board[hashTo.Index()];
    if (!RefusedAtRoot(depth, hashMove)) {
      step = SearchMove(s, n, depth, hashMove, node);
      if (step == CStep::Abort) return NO_SCORE;
      if (step == CStep::CutOff) return finishCutOff();
    }
  }

  // 2. Captures, best history first.
  {
    CMoveList& list = Generator.Captures[depth];
    GenerateCaptures(Position, s, list);
    Generator.ListCaptures(depth);
    CMove** order = Generator.CapturePointers[depth];
    const int count = list.Count;
    CStageOrder stage = BeginStage(order, count, depth);
    for (int i = 0; i < count; ++i) {
      OrderNext(stage, i, s);
      const CMove m = *order[i];
      if (m == hashMove || RefusedAtRoot(depth, m)) continue;
      step = SearchMove(s, n, depth, m, node);
      if (step == CStep::Abort) return NO_SCORE;
      if (step == CStep::CutOff) return finishCutOff();
    }
  }

  // 3. Killers (not compared with earlier moves: one may be searched twice).
  const CMove killer1 = *Killers[depth][0];
  const CMove killer2 = *Killers[depth][1];
  for (const CMove& killer : {killer1, killer2}) {
    if (killer.Piece == 0 || !IsPseudoLegal(Position, s, killer) || RefusedAtRoot(depth, killer)) continue;
    step = SearchMove(s, n, depth, killer, node);
    if (step == CStep::Abort) return NO_SCORE;
    if (step == CStep::CutOff) return finishCutOff();
  }

  // 4. Quiet moves, best history first.
  {
    CMoveList& list = Generator.Quiets[depth];
    GenerateQuietMoves(Position, s, list);
    Generator.ListQuietMoves(depth);
    CMove** order = Generator.QuietPointers[depth];
    const int count = list.Count;
    CStageOrder stage = BeginStage(order, count, depth);
    for (int i = 0; i < count; ++i) {
      OrderNext(stage, i, s);
      const CMove m = *order[i];
      if (m == hashMove || m == killer1 || m == killer2 || RefusedAtRoot(depth, m)) continue;
      step = SearchMove(s, n, depth, m, node);
      if (step == CStep::Abort) return NO_SCORE;
      if (step == CStep::CutOff) return finishCutOff();
    }
  }

  if (node.Raised) {
    TransTable.Store(s, HASH_EXACT, node.Best, depth, node.BestMove.Piece, node.BestMove.To);
    RewardMove(depth, node.BestMove);
  } else {
    TransTable.Store(s, HASH_UPPER, node.Best, depth, 0, CSquare {});
  }
  return node.Best;
}

int CSearchEngine::PrincipalVariation(int redToMove, CMove* moves, int maxCount) {
  if (!IsReady() || maxCount <= 0 || !BestMove.IsComplete()) return 0;
  int count = 0;
  int s = redToMove ? 1 : 0;
  CMove m = BestMove;
  for (;;) {
    moves[count++] = m;
    Position.MakeMove(m);
    TransTable.MakeMoveKeys(m);
    s = !s;
    if (count >= maxCount || m.Captured == RED_KING || m.Captured == BLACK_KING) break;
    const HashEntry& entry = TransTable.Probe(s);
    if (!TransTable.Matches(entry) || entry.MovePiece <= 0 || entry.MovePiece > 32) break;
    const CSquare to {entry.MoveToRow, entry.MoveToCol};
    if (!CanMoveTo(Position, s, entry.MovePiece, to)) break;
    m.Piece = entry.MovePiece;
    m.From = Position.PieceSquare[m.Piece];
    m.To = to;
    m.Captured = Position.Board[to.Index()];
  }
  for (int i = count - 1; i >= 0; --i) {
    Position.UnmakeMove(moves[i]);
    TransTable.UnmakeMoveKeys(moves[i]);
  }
  return count;
}
