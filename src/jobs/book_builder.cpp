#include <cstdarg>
#include <cstdio>

#include "common/folder_walk.h"
#include "common/exe_path.h"
#include "common/tick.h"
#include "jobs/book_builder.h"
#include "engine/trans_table.h"
#include "game/game.h"
#include "jobs/whole_game.h"
#include "rules/pieces.h"
#include "rules/position.h"

namespace {

constexpr long long kProgressPeriod = 10;  // games between two counter lines

// Appends one formatted line to the build log; a log that cannot be opened is ignored.
void Log(const char* format, ...) {
  FILE* log = std::fopen(CBookBuilder::LogPath().c_str(), "a+");
  if (!log) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(log, format, args);
  va_end(args);
  std::fclose(log);
}

BookNode NodeOf(uint64_t lock, int32_t weight, int piece, int toRow, int toCol) {
  BookNode node;
  node.LockLo = static_cast<uint32_t>(lock);
  node.LockHi = static_cast<int32_t>(static_cast<uint32_t>(lock >> 32));
  node.Weight = weight;
  node.Piece = piece;
  node.ToRow = toRow;
  node.ToCol = toCol;
  return node;
}

CMove MirroredMove(const CMove& move) {
  CMove mirrored;
  mirrored.Piece = MirrorPiece[move.Piece];
  mirrored.To = CSquare {move.To.Row, 14 - move.To.Col};
  return mirrored;
}

CMove TurnedMove(const CMove& move) {
  CMove turned;
  turned.Piece = SwapColourPiece[move.Piece];
  turned.To = CSquare {15 - move.To.Row, 14 - move.To.Col};
  return turned;
}

// The locks of the position (0), its left-right mirror (1), the position
// turned round with colours swapped (2) and the mirror turned round (3), in
// one pass over the pieces: the same locks MirrorInto and RotateInto give,
// without building the three positions. False where an image would put a
// piece on a square its kind cannot stand on, as those transforms refuse.
bool ImageLocks(const CPosition& position, const CTransTable& keys, uint64_t locks[4]) {
  locks[0] = locks[1] = locks[2] = locks[3] = 0;
  for (int id = 1; id <= 32; ++id) {
    if (!position.IsOnBoard(id)) continue;
    const int row = position.PieceSquare[id].Row, col = position.PieceSquare[id].Col;
    const int images[4] = {id, MirrorPiece[id], SwapColourPiece[id], SwapColourPiece[MirrorPiece[id]]};
    const int squares[4] = {SquareOf(row, col), SquareOf(row, 14 - col), SquareOf(15 - row, 14 - col),
                            SquareOf(15 - row, col)};
    for (int i = 0; i < 4; ++i) {
      if (!CanStand[PieceKind[images[i]]][PieceSide[images[i]]][squares[i]]) return false;
      locks[i] ^= keys.LockTable[images[i]][squares[i]];
    }
  }
  return true;
}

// The same four locks the plain way, through the three transformed
// positions; the reference the fast pass is checked against.
bool ImageLocksPlainly(const CPosition& position, const CTransTable& keys, uint64_t locks[4]) {
  CPosition mirrored, turned;
  locks[0] = keys.LockOf(position);
  if (!position.MirrorInto(mirrored)) return false;
  locks[1] = keys.LockOf(mirrored);
  if (!position.RotateInto(turned)) return false;
  locks[2] = keys.LockOf(turned);
  if (!mirrored.RotateInto(turned)) return false;
  locks[3] = keys.LockOf(turned);
  return true;
}

}  // namespace

std::string CBookBuilder::LogPath() { return GetExePath() + "creating.txt"; }

uint32_t CBookBuilder::BuildTick() const { return BuildClock ? BuildClock() : GetTick(); }

void CBookBuilder::AddBuildNode(const BookNode& node) {
  if (InsertEachNode)
    Book.AddNode(node);
  else
    Gatherer.Add(node);
}

size_t CBookBuilder::BuildNodeCount() const { return InsertEachNode ? Book.Nodes.size() : Gatherer.Count(); }

int CBookBuilder::AddPosition(const CPosition& position, const CTransTable& keys, const CMove& move, int32_t w1,
                              int32_t w2) {
  if (move.Piece < 1 || move.Piece > 32) return 0;
  uint64_t locks[4];
  if (InsertEachNode ? !ImageLocksPlainly(position, keys, locks) : !ImageLocks(position, keys, locks)) return 0;
  const CMove mirroredMove = MirroredMove(move);
  const CMove turnedMove = TurnedMove(move);
  const CMove bothMove = TurnedMove(mirroredMove);
  AddBuildNode(NodeOf(locks[0], w1, move.Piece, move.To.Row, move.To.Col));
  AddBuildNode(NodeOf(locks[1], w1, mirroredMove.Piece, mirroredMove.To.Row, mirroredMove.To.Col));
  AddBuildNode(NodeOf(locks[2], w2, turnedMove.Piece, turnedMove.To.Row, turnedMove.To.Col));
  AddBuildNode(NodeOf(locks[3], w2, bothMove.Piece, bothMove.To.Row, bothMove.To.Col));
  return 1;
}

int CBookBuilder::LoadGame(CGame& game, const std::string& path) {
  // Only a game read whole is taken: the front of a game that stops early,
  // or of the first of several, would be weighted by a result it never had.
  std::string why;
  if (!ReadWholeGame(game, path, why)) {
    Log("      Load %s failed.\n", path.c_str());
    SkippedFiles.push_back(path + ": " + why);
    return 0;
  }
  const int moveCount = game.Record().Current + 1;
  while (game.Undo()) {
  }

  int32_t weight[2] = {Book.DrawWeight, Book.DrawWeight};  // by side, red 0 and black 1
  if (game.Result == "1-0") {
    weight[RED] = Book.WonWeight;
    weight[BLACK] = Book.LossWeight;
  } else if (game.Result == "0-1") {
    weight[RED] = Book.LossWeight;
    weight[BLACK] = Book.WonWeight;
  }

  CGameRecord& record = game.Record();
  for (int i = 0; i < moveCount; ++i) {
    const CMove move = record[i].Move;
    const int side = PieceSide[move.Piece] == BLACK ? BLACK : RED;
    if (!AddPosition(game.Position(), game.Engine.TransTable, move, weight[side], weight[1 - side])) return 0;
    game.Redo();
  }
  return 1;
}

bool CBookBuilder::WalkDir(CGame& game, const std::string& dir, uint32_t startTick) {
  CFolderWalk walk;
  walk.EnterFolder = [&](const std::string&) {
    return !((BuildTick() - startTick) / 1000 > MaxBuildSeconds || Stop);
  };
  walk.VisitFile = [&](const CDirEntry& entry) {
    if (Stop) return false;
    // A file that is no whole game is skipped and named, not the end of the build.
    if (!LoadGame(game, entry.Path)) return true;
    ++LoadedCount;
    if (LoadedCount % kProgressPeriod == 0)
      Log("   LoadedCount=%07lld; BookNodeCount=%07d; ElapsedTime=%07u\n", LoadedCount,
          static_cast<int>(BuildNodeCount()), (BuildTick() - startTick) / 1000);
    if (OnGameLoaded) OnGameLoaded(LoadedCount, BuildNodeCount(), entry.Path);
    return true;
  };
  if (walk.Run(dir) || walk.Ended) return true;
  Fail(CJobFault::Unreadable, "RootDir", dir, walk.Error);
  return false;
}

void CBookBuilder::Fail(CJobFault fault, const std::string& setting, const std::string& path,
                        const std::string& detail) {
  Error = CJobError {};
  Error.Fault = fault;
  Error.Setting = setting;
  Error.Path = path;
  Error.Detail = detail;
  BuildError = EnglishMessage(Error);
}

int CBookBuilder::LoadDIR(CGame& game, const std::string& dir, int32_t minWeight, int32_t wonWeight,
                          int32_t drawWeight, int32_t lossWeight) {
  const uint32_t startTick = BuildTick();
  Book.MinWeight = minWeight;
  Book.WonWeight = wonWeight;
  Book.DrawWeight = drawWeight;
  Book.LossWeight = lossWeight;
  Stop = 0;
  Book.Nodes.clear();
  Gatherer.Clear();
  BuildError.clear();
  Error = CJobError {};
  SkippedFiles.clear();
  LoadedCount = 0;

  Log("Running LoadDIR().\n");
  const bool walked = WalkDir(game, dir, startTick);
  if (!InsertEachNode) Gatherer.LayOut(Book.Nodes);
  Stop = 1;
  if (!walked) return 0;  // nothing is saved
  Log("   LoadedCount=%07lld; BookNodeCount=%07d; ElapsedTime=%07u\n", LoadedCount, static_cast<int>(Book.Nodes.size()),
      (BuildTick() - startTick) / 1000);
  // A build that found no game, or kept no node, would replace a good book
  // with an empty one.
  if (LoadedCount == 0) {
    Fail(CJobFault::NoInput, "RootDir", dir,
         SkippedFiles.empty() ? "no game file" : std::to_string(SkippedFiles.size()) + " files are no whole game");
    return 0;
  }
  Log("Running CullBad().\n");
  CullBad(startTick);
  if (Book.Nodes.empty()) {
    Fail(CJobFault::NoInput, "MinWeight", dir,
         "no node reaches MinWeight " + std::to_string(minWeight) + "; the book file is left as it was");
    return 0;
  }
  // The book reaches the disk once, culled, through a temporary file and a rename.
  Log("Running Save().\n");
  if (!Book.Save(SavePath.empty() ? COpeningBook::DefaultPath() : SavePath)) {
    Fail(CJobFault::CannotWrite, "", SavePath.empty() ? COpeningBook::DefaultPath() : SavePath, "");
    return 0;
  }
  game.NewGame(InitialBoard.data(), 1);
  return 1;
}

int CBookBuilder::CullBad(uint32_t startTick) {
  std::vector<BookNode> all;
  std::vector<BookNode>& nodes = Book.Nodes;
  all.swap(nodes);
  nodes.reserve(all.size());
  for (const BookNode& node : all)
    if (node.Weight >= Book.MinWeight) nodes.push_back(node);
  // An empty book logs the two marks; otherwise the true extremes, which
  // may lie beyond the marks once weights have summed that far.
  int32_t smallest = 536870912, largest = -536870912;
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (i == 0 || nodes[i].Weight < smallest) smallest = nodes[i].Weight;
    if (i == 0 || nodes[i].Weight > largest) largest = nodes[i].Weight;
  }
  nodes.shrink_to_fit();
  CulledMinWeight = smallest;
  CulledMaxWeight = largest;
  Log("   BookNodeCount=%07d; MinWeight=%07d; MaxWeight=%07d; ElapsedTime=%07u\n", static_cast<int>(Book.Nodes.size()),
      smallest, largest, (BuildTick() - startTick) / 1000);
  return 1;
}
