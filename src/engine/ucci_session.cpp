#include "engine/ucci_session.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <istream>
#include <ostream>
#include <sstream>

#include "engine/engine_position.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"

namespace {

constexpr int kDefaultHashMb = 64;
constexpr int kMaxHashMb = 1024;
constexpr int kNoLimit = INT32_MAX;
// The engine's own limits (a fresh engine's MaxIterTime and MaxSearchTime).
constexpr int kDefaultIterTimeMs = 3000;
constexpr int kDefaultSearchTimeMs = 4000;

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A non-negative number, or -1.
long long ParseCount(const std::string& text) {
  if (text.empty() || text.size() > 12) return -1;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

int ParseSwitch(const std::string& text) {
  const std::string value = Lower(text);
  if (value == "true" || value == "on" || value == "1" || value == "yes") return 1;
  if (value == "false" || value == "off" || value == "0" || value == "no") return 0;
  return -1;
}

int ClampToInt(long long value) { return static_cast<int>(std::min<long long>(value, kNoLimit)); }

// Moves in either form; files a..i, then the rank digits.
bool SplitCoordinates(const std::string& text, char files[2], int ranks[2]) {
  size_t at = 0;
  for (int k = 0; k < 2; ++k) {
    if (at >= text.size() || text[at] < 'a' || text[at] > 'i') return false;
    files[k] = text[at++];
    const size_t start = at;
    int rank = 0;
    while (at < text.size() && at - start < 2 && std::isdigit(static_cast<unsigned char>(text[at])))
      rank = rank * 10 + (text[at++] - '0');
    if (at == start) return false;
    ranks[k] = rank;
  }
  return at == text.size();
}

}  // namespace

CUcciSession::CUcciSession(std::ostream& out, CProtocol protocol)
    : Out(out), Protocol(protocol), EnginePtr(std::make_unique<CSearchEngine>()) {
  std::string error;
  LoadEnginePosition(*EnginePtr, "", SideToMove, error);
}

CUcciSession::~CUcciSession() { StopSearch(); }

std::string CUcciSession::IccsToUci(const std::string& iccs) {
  char files[2];
  int ranks[2];
  if (!SplitCoordinates(iccs, files, ranks) || ranks[0] > 9 || ranks[1] > 9) return {};
  return std::string(1, files[0]) + std::to_string(ranks[0] + 1) + files[1] + std::to_string(ranks[1] + 1);
}

std::string CUcciSession::UciToIccs(const std::string& uci) {
  char files[2];
  int ranks[2];
  if (!SplitCoordinates(uci, files, ranks)) return {};
  for (int rank : ranks)
    if (rank < 1 || rank > 10) return {};
  return std::string(1, files[0]) + std::to_string(ranks[0] - 1) + files[1] + std::to_string(ranks[1] - 1);
}

void CUcciSession::Send(const std::string& line) {
  std::lock_guard<std::mutex> lock(OutMutex);
  Out << line << '\n';
  Out.flush();
}

std::string CUcciSession::MoveText(const CMove& move) const {
  const std::string iccs = MoveToIccs(move);
  return Protocol == CProtocol::Uci ? IccsToUci(iccs) : iccs;
}

void CUcciSession::Run(std::istream& in) {
  // A tied input stream (std::cin is tied to std::cout) would flush the
  // output from this thread outside OutMutex while the worker writes its
  // lines: interleaved or repeated text. Every Send flushes anyway.
  in.tie(nullptr);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!HandleLine(line)) return;
  }
  WaitForSearch();
}

bool CUcciSession::HandleLine(const std::string& line) {
  const std::vector<std::string> words = SplitWords(line);
  if (words.empty()) return true;
  const std::string& command = words[0];
  if (command == "ucci" || command == "uci") {
    SendIdentity();
  } else if (command == "isready") {
    Send("readyok");
  } else if (command == "setoption") {
    StopSearch();
    SetOption(words);
  } else if (command == "position") {
    StopSearch();
    SetPosition(words);
  } else if (command == "ucinewgame") {
    StopSearch();
    std::string error;
    LoadEnginePosition(*EnginePtr, "", SideToMove, error);
    EnginePtr->ClearBannedMoves();
    HavePosition = true;
  } else if (command == "banmoves") {
    StopSearch();
    BanMoves(words);
  } else if (command == "probe") {
    StopSearch();
    Probe(words);
  } else if (command == "go") {
    StopSearch();
    Go(words);
  } else if (command == "stop") {
    StopSearch();
  } else if (command == "quit") {
    StopSearch();
    if (Protocol == CProtocol::Ucci) Send("bye");
    return false;
  } else if (command != "ponderhit") {
    Send("info string unknown command: " + command);
  }
  return true;
}

void CUcciSession::SendIdentity() {
  const bool ucci = Protocol == CProtocol::Ucci;
  Send("id name Tarvo");
  Send("id author the Tarvo developers");
  const std::string hash = std::to_string(kDefaultHashMb), maxHash = std::to_string(kMaxHashMb);
  if (ucci) {
    Send("option usemillisec type check default false");
    Send("option hashsize type spin min 1 max " + maxHash + " default " + hash);
    Send("option searchmode type combo var negascout var mtdf default negascout");
    Send("option evalmodel type combo var default var ann default ann");
    Send("option usebook type check default true");
    Send("option randombook type check default false");
    Send("option nullmove type check default true");
    Send("option nullminpieces type spin min 0 max 16 default 6");
    Send("ucciok");
  } else {
    Send("option name Hash type spin default " + hash + " min 1 max " + maxHash);
    Send("option name SearchMode type combo default negascout var negascout var mtdf");
    Send("option name EvalModel type combo default ann var default var ann");
    Send("option name UseBook type check default true");
    Send("option name RandomBook type check default false");
    Send("option name NullMove type check default true");
    Send("option name NullMinPieces type spin default 6 min 0 max 16");
    Send("uciok");
  }
}

void CUcciSession::SetOption(const std::vector<std::string>& words) {
  // UCCI: "setoption NAME VALUE"; UCI: "setoption name NAME [value VALUE]".
  std::string name, value;
  if (words.size() >= 2 && words[1] == "name") {
    size_t i = 2;
    for (; i < words.size() && words[i] != "value"; ++i) name += words[i];
    for (++i; i < words.size(); ++i) value += (value.empty() ? "" : " ") + words[i];
  } else if (words.size() >= 2) {
    name = words[1];
    for (size_t i = 2; i < words.size(); ++i) value += (value.empty() ? "" : " ") + words[i];
  }
  name = Lower(name);
  const std::string lowerValue = Lower(value);
  CSearchEngine& engine = *EnginePtr;
  auto bad = [&]() { Send("info string bad value for " + name + ": " + value); };

  if (name == "hashsize" || name == "hash") {
    const long long mb = ParseCount(value);
    if (mb < 1 || mb > kMaxHashMb) return bad();
    // Entries as when each took 32 bytes, so a given size searches as it
    // always has (the tables now take half of it).
    const long long entries = mb * 1024 * 1024 / (2 * 32LL);
    try {
      if (!engine.TransTable.Setup(entries)) Send("info string " + engine.NotReadyReason());
    } catch (const std::bad_alloc&) {
      Send("info string not enough memory for " + value + " MB of tables");
    }
  } else if (name == "searchmode") {
    if (lowerValue == "negascout" || lowerValue == "0") engine.SearchMode = SEARCH_NEGASCOUT;
    else if (lowerValue == "mtdf" || lowerValue == "mtd(f)" || lowerValue == "1") engine.SearchMode = SEARCH_MTDF;
    else bad();
  } else if (name == "evalmodel") {
    if (lowerValue == "default" || lowerValue == "0") engine.Evaluator.EvalModel = EVAL_MODEL_DEFAULT;
    else if (lowerValue == "ann" || lowerValue == "1") engine.Evaluator.EvalModel = EVAL_MODEL_ANN;
    else bad();
  } else if (name == "usebook") {
    const int on = ParseSwitch(value);
    if (on < 0) return bad();
    engine.UseBook = on;
    // Off means no book at all: the engine would still ask it for a game's first move.
    if (on) {
      engine.Book.Load();
      engine.CheckBookKeys();
    } else {
      engine.Book.Reset();
    }
  } else if (name == "randombook") {
    const int on = ParseSwitch(value);
    if (on < 0) return bad();
    engine.RandomBook = on;
  } else if (name == "nullmove") {
    const int on = ParseSwitch(value);
    if (on < 0) return bad();
    engine.UseNullMove = on;
  } else if (name == "nullminpieces") {
    const long long pieces = ParseCount(value);
    if (pieces < 0 || pieces > 16) return bad();
    NullMinPieces = static_cast<int>(pieces);
  } else if (name == "usemillisec") {
    const int on = ParseSwitch(value);
    if (on < 0) return bad();
    UseMillisec = on != 0;
  } else if (name != "uci_variant" && name != "ponder" && name != "newgame") {
    Send("info string unknown option: " + name);
  }
}

bool CUcciSession::ReadPosition(const std::vector<std::string>& words, size_t at, CPosition& position,
                               int& redToMove, std::vector<CMove>& moves, std::string& fen,
                               std::string& error) const {
  size_t i = at;
  fen.clear();
  if (i < words.size() && words[i] == "startpos") {
    ++i;
  } else if (i < words.size() && words[i] == "fen") {
    for (++i; i < words.size() && words[i] != "moves"; ++i) fen += (fen.empty() ? "" : " ") + words[i];
  } else {
    error = "needs startpos or fen";
    return false;
  }
  position = CPosition {};
  int side = 1;
  if (!fen.empty() && !position.SetFromFen(fen.c_str(), side)) {
    error = "invalid FEN: " + fen;
    return false;
  }
  redToMove = side ? 1 : 0;
  moves.clear();
  if (i < words.size() && words[i] == "moves") ++i;
  else if (i < words.size()) {
    error = "unexpected '" + words[i] + "'";
    return false;
  }
  // The game record keeps MAX_RECORD_ENTRIES - 1 moves: a longer game is
  // refused whole rather than cut short (its last position would be another).
  const size_t count = words.size() - std::min(i, words.size());
  if (count > static_cast<size_t>(MAX_RECORD_ENTRIES - 1)) {
    error = std::to_string(count) + " moves, more than the " + std::to_string(MAX_RECORD_ENTRIES - 1) +
            " a game record holds";
    return false;
  }
  for (; i < words.size(); ++i) {
    const std::string iccs = Protocol == CProtocol::Uci ? UciToIccs(words[i]) : words[i];
    CMove move;
    if (!MoveFromIccs(position, iccs, move) || !IsLegalMove(position, redToMove, move)) {
      error = "illegal move " + words[i] + " (move " + std::to_string(moves.size() + 1) + ")";
      return false;
    }
    position.MakeMove(move);
    redToMove = !redToMove;
    moves.push_back(move);
  }
  return true;
}

void CUcciSession::SetPosition(const std::vector<std::string>& words) {
  CSearchEngine& engine = *EnginePtr;
  engine.ClearBannedMoves();
  CPosition position;
  int side = 1;
  std::vector<CMove> moves;
  std::string fen, error;
  if (!ReadPosition(words, 1, position, side, moves, fen, error)) {
    // Searching the last position instead would answer for another game.
    HavePosition = false;
    Send("info string position refused: " + error);
    return;
  }
  // Checked above: entering the moves into the record cannot fail.
  HavePosition = LoadEnginePosition(engine, fen, SideToMove, error) != 0;
  for (const CMove& move : moves)
    HavePosition = HavePosition && PlayEngineMove(engine, SideToMove, MoveToIccs(move), error) != 0;
  if (!HavePosition) Send("info string position refused: " + error);
}

void CUcciSession::BanMoves(const std::vector<std::string>& words) {
  CSearchEngine& engine = *EnginePtr;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string iccs = Protocol == CProtocol::Uci ? UciToIccs(words[i]) : words[i];
    CMove move;
    if (!MoveFromIccs(engine.Position, iccs, move) || !IsLegalMove(engine.Position, SideToMove, move))
      Send("info string banmoves: not a legal move here: " + words[i]);
    else if (!engine.BanMove(move))
      Send("info string banmoves: more than " + std::to_string(MAX_BANNED_MOVES) + " moves; " + words[i] +
           " and later ignored");
  }
}

void CUcciSession::Probe(const std::vector<std::string>& words) {
  CSearchEngine& engine = *EnginePtr;
  CPosition position = engine.Position;
  int side = SideToMove;
  if (words.size() > 1) {
    std::vector<CMove> moves;
    std::string fen, error;
    if (!ReadPosition(words, 1, position, side, moves, fen, error)) {
      Send("info string probe: " + error);
      return;
    }
  }
  const uint64_t lock = engine.TransTable.LockOf(position);
  // The book's moves for the side to move, best first as the book orders them.
  BookNode nodes[64];
  const int count = engine.Book.Candidates(static_cast<uint32_t>(lock), static_cast<int32_t>(lock >> 32), side,
                                           nodes, 64);
  for (int i = 0; i < count; ++i) {
    CMove move;
    move.Piece = nodes[i].Piece;
    move.From = position.PieceSquare[move.Piece];
    move.To = CSquare {nodes[i].ToRow, nodes[i].ToCol};
    if (!IsPlayable(move.To.Row, move.To.Col) || move.From.IsNone()) continue;
    move.Captured = position.Board[move.To.Index()];
    Send("info string book " + MoveText(move) + " weight " + std::to_string(nodes[i].Weight));
  }
  // What the last search left in the table for this position.
  std::string line = "pophash";
  if (engine.IsReady()) {
    CTransTable& table = engine.TransTable;
    const uint32_t key = table.Key32;
    const uint64_t searchLock = table.Lock64;
    table.ResetKeys(position);
    const HashEntry entry = table.Probe(side);
    const bool known = table.Matches(entry) && entry.Flag != HASH_EMPTY && entry.Value != NO_SCORE;
    table.Key32 = key;
    table.Lock64 = searchLock;
    if (known) {
      const CSquare to {entry.MoveToRow, entry.MoveToCol};
      if (entry.MovePiece >= 1 && entry.MovePiece <= 32 && CanMoveTo(position, side, entry.MovePiece, to)) {
        CMove move;
        move.Piece = entry.MovePiece;
        move.From = position.PieceSquare[move.Piece];
        move.To = to;
        line += " bestmove " + MoveText(move);
      }
      const std::string value = std::to_string(ScoreValue(entry.Value));
      const std::string depth = " depth " + std::to_string(entry.Depth + 1);
      if (entry.Flag != HASH_UPPER) line += " lowerbound " + value + depth;
      if (entry.Flag != HASH_LOWER) line += " upperbound " + value + depth;
    }
  }
  Send(line);
}

bool CUcciSession::AllowedMove(CMove& move) {
  CSearchEngine& engine = *EnginePtr;
  CMoveList& list = engine.Generator.AllMoves[0];
  GenerateAllMoves(engine.Position, SideToMove, list);
  for (int i = 0; i < list.Count; ++i) {
    if (IsLegalMove(engine.Position, SideToMove, list.Moves[i]) && !engine.IsBanned(list.Moves[i])) {
      move = list.Moves[i];
      return true;
    }
  }
  return false;
}

void CUcciSession::Go(const std::vector<std::string>& words) {
  CSearchEngine& engine = *EnginePtr;
  const char* noMove = Protocol == CProtocol::Uci ? "bestmove (none)" : "nobestmove";
  if (!engine.IsReady()) {
    Send("info string " + engine.NotReadyReason());
    Send(noMove);
    return;
  }
  if (!HavePosition) {
    Send("info string no position to search: the last position command was refused");
    Send(noMove);
    return;
  }
  long long depth = -1, nodes = -1, mate = -1, moveTime = -1, clock = -1, increment = 0, movesToGo = 0;
  bool infinite = false;
  const bool red = SideToMove != 0;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const long long next = i + 1 < words.size() ? ParseCount(words[i + 1]) : -1;
    static const char* const kNumbered[] = {"depth",    "nodes", "mate",  "movetime", "time",
                                            "increment", "movestogo", "wtime", "btime", "winc", "binc"};
    if (next < 0 && std::find(std::begin(kNumbered), std::end(kNumbered), word) != std::end(kNumbered))
      Send("info string go: " + word + " needs a whole number; ignored");
    if (word == "infinite") infinite = true;
    else if (word == "depth") depth = next;
    else if (word == "nodes") nodes = next;
    else if (word == "mate") mate = next;
    else if (word == "movetime") moveTime = next;
    else if (word == "time") clock = next;
    else if (word == "increment") increment = std::max(0LL, next);
    else if (word == "movestogo") movesToGo = std::max(0LL, next);
    else if (word == (red ? "wtime" : "btime")) clock = next;
    else if (word == (red ? "winc" : "binc")) increment = std::max(0LL, next);
  }
  if (Protocol == CProtocol::Ucci && !UseMillisec) {
    for (long long* value : {&moveTime, &clock, &increment})
      if (*value > 0) *value *= 1000;
  }

  // Every limit given holds; the first one reached ends the search.
  engine.MaxDepth = DEFAULT_MAX_DEPTH;
  engine.MaxIterTime = kNoLimit;
  engine.MaxSearchTime = kNoLimit;
  engine.MaxNodes = NO_NODE_LIMIT;
  bool limited = false;
  // Depth 0 asks for the shortest search there is: the first iteration.
  if (depth >= 0) {
    engine.MaxDepth = static_cast<int>(std::clamp(depth, 1LL, static_cast<long long>(DEFAULT_MAX_DEPTH)));
    limited = true;
  }
  if (nodes >= 0) {
    engine.MaxNodes = static_cast<uint64_t>(nodes);
    limited = true;
  }
  if (moveTime >= 0) {
    engine.MaxSearchTime = ClampToInt(moveTime);
    engine.MaxIterTime = ClampToInt(moveTime * 3 / 4);
    limited = true;
  } else if (clock >= 0) {
    // Spread the clock over the game; never plan more than three quarters of it.
    long long budget = (movesToGo > 0 ? clock / movesToGo : clock / 25) + increment * 3 / 4;
    budget = std::max(1LL, std::min(budget, clock * 3 / 4));
    engine.MaxSearchTime = ClampToInt(budget);
    engine.MaxIterTime = ClampToInt(std::max(1LL, budget / 2));
    limited = true;
  }
  if (mate >= 0) {
    // A mate in N moves shows within 2N + 1 plies (one more when the mated
    // side is not in check);
    // without a clock the engine's usual time bounds the hunt.
    engine.MaxDepth = std::min(engine.MaxDepth, static_cast<int>(std::min(2 * mate + 1, 128LL)));
    if (moveTime < 0 && clock < 0) {
      engine.MaxIterTime = kDefaultIterTimeMs;
      engine.MaxSearchTime = kDefaultSearchTimeMs;
    }
    limited = true;
  }
  if (!limited) infinite = true;  // a bare "go" thinks until "stop"
  if (infinite) {
    engine.MaxDepth = MAX_PLY;
    engine.MaxIterTime = kNoLimit;
    engine.MaxSearchTime = kNoLimit;
    engine.MaxNodes = NO_NODE_LIMIT;
  }

  {
    std::lock_guard<std::mutex> lock(StopMutex);
    StopRequested = false;
  }
  Infinite = infinite;
  WorkerDone.store(false);
  Worker = std::thread([this, infinite] { SearchAndAnswer(infinite); });
}

long long CUcciSession::ScoreValue(int score) const {
  if (score >= MATE_SCORE) return 30000;
  if (score <= -MATE_SCORE) return -30000;
  // Piece-value scores are 32 per unit (a pawn is 60); network scores span +-2^27.
  return EnginePtr->Evaluator.EvalModel == EVAL_MODEL_ANN ? static_cast<long long>(score) * 1000 / 134217728
                                                         : score / 32;
}

std::string CUcciSession::ScoreText(int score, int depth) const {
  const bool mate = score >= MATE_SCORE || score <= -MATE_SCORE;
  if (Protocol == CProtocol::Uci) {
    if (mate) {
      const int moves = std::max(1, (depth + 1) / 2);
      return "score mate " + std::to_string(score > 0 ? moves : -moves);
    }
    return "score cp " + std::to_string(ScoreValue(score));
  }
  return "score " + std::to_string(ScoreValue(score));
}

void CUcciSession::SendIteration(const CIterationInfo& info) {
  std::string line = "info depth " + std::to_string(info.Depth) + " " + ScoreText(info.Score, info.Depth) +
                     " time " + std::to_string(info.ElapsedMs) + " nodes " + std::to_string(info.Nodes);
  CMove pv[32];
  const int count = EnginePtr->PrincipalVariation(SideToMove, pv, 32);
  if (count > 0) {
    line += " pv";
    for (int i = 0; i < count; ++i) {
      line += ' ';
      line += MoveText(pv[i]);
    }
  }
  Send(line);
}

void CUcciSession::SearchAndAnswer(bool infinite) {
  CSearchEngine& engine = *EnginePtr;
  engine.OnIteration = [this](const CIterationInfo& info) { SendIteration(info); };
  const int found = engine.FindBestMove(SideToMove, NullMoveAllowed(engine, NullMinPieces));
  engine.OnIteration = nullptr;
  CMove move = engine.BestMove;
  // The search plays on in lost positions; it refuses a move only when every
  // legal one is banned or repeats a position a fourth time. A GUI still
  // gets a move then, if one is not banned.
  const bool haveMove = found || AllowedMove(move);
  if (infinite) {
    std::unique_lock<std::mutex> lock(StopMutex);
    StopSignal.wait(lock, [this] { return StopRequested; });
  }
  if (haveMove) Send("bestmove " + MoveText(move));
  else Send(Protocol == CProtocol::Uci ? "bestmove (none)" : "nobestmove");
  WorkerDone.store(true);
}

void CUcciSession::StopSearch() {
  if (!Worker.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(StopMutex);
    StopRequested = true;
  }
  StopSignal.notify_all();
  // The worker clears EngineIdle when its search starts: keep asking until it answered.
  while (!WorkerDone.load()) {
    EnginePtr->EngineIdle.store(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Worker.join();
}

void CUcciSession::WaitForSearch() {
  if (!Worker.joinable()) return;
  if (Infinite) StopSearch();
  else Worker.join();
}
