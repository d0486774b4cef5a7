#pragma once
// The weighted opening book: (position lock, move) pairs with weights, kept
// sorted by lock (LockHi descending as signed, then LockLo descending as
// unsigned) in memory and in the file book/book.tab.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/book_gatherer.h"

class CGame;
class CPosition;
class CTransTable;
struct CMove;

// What the engine posts when a book cannot be of use with the key file.
inline constexpr const char* kBookKeysDifferNotice =
    "book/book.tab was made with other position keys than rand/rand.has: it has no move for the "
    "start position";

struct BookNode {
  uint32_t LockLo = 0;
  int32_t LockHi = 0;
  int32_t Weight = 0;
  int32_t Piece = 0;
  int32_t ToRow = 0;
  int32_t ToCol = 0;
};

class COpeningBook {
 public:
  COpeningBook();  // Reset, then Load from the default path

  std::atomic<int> Stop {1};  // 1 idle; a build clears it; setting it to 1 stops the build
  int32_t MinWeight = 4;
  int32_t WonWeight = 3;
  int32_t DrawWeight = 1;
  int32_t LossWeight = -1;
  std::vector<BookNode> Nodes;

  void Reset();
  // 1 when the file opened (weights and nodes replaced), 0 otherwise (book
  // unchanged). Damaged records are dropped and reported in LoadWarning.
  int Load(const std::string& path = DefaultPath());
  // 1 when written (through a temporary file and a rename), 0 otherwise.
  int Save(const std::string& path = DefaultPath());
  int AddNode(const BookNode& node);
  // 1 with the move of a candidate of the side to move, or 0.
  int Lookup(uint32_t lockLo, int32_t lockHi, int redToMove, int random, int& piece, int& toRow,
             int& toCol);

  // The candidates Lookup chooses from, in its order (the node the binary
  // search found, then the others of that lock backwards and forwards); at
  // most maxCount are copied. Their count.
  int Candidates(uint32_t lockLo, int32_t lockHi, int redToMove, BookNode* out, int maxCount) const;

  // The candidate a random draw picks: floor(draw * count / 2^31), clamped
  // to 0..count-1 (a negative draw picks the first).
  static int RandomIndex(int32_t draw, int count);

  // What the last Load dropped from a damaged file; empty when it was sound.
  std::string LoadWarning;

  // "<exe dir>book/book.tab"
  static std::string DefaultPath();

  // Building the book from a tree of game records (book_builder.cpp).

  // Adds the move for the position, its left-right mirror (weight w1) and
  // both turned round with colours swapped (weight w2). 0 when a transform fails.
  int AddPosition(const CPosition& position, const CTransTable& keys, const CMove& move, int32_t w1,
                  int32_t w2);
  // Loads one game record into the game and adds every move; 1 on success.
  int LoadGame(CGame& game, const std::string& path);
  // Builds the book from every file under the folder, culls and saves it;
  // 1 on success (also when stopped early), 0 with BuildError set otherwise.
  int LoadDIR(CGame& game, const std::string& dir, int32_t minWeight, int32_t wonWeight, int32_t drawWeight,
              int32_t lossWeight);
  // Keeps only nodes of at least MinWeight and logs the count and weights.
  int CullBad(uint32_t startTick);

  // What made the last LoadDIR fail, naming the file or folder.
  std::string BuildError;
  // Smallest and largest weight left by the last CullBad.
  int32_t CulledMinWeight = 0;
  int32_t CulledMaxWeight = 0;
  // Games loaded by the running or last LoadDIR.
  long long LoadedCount = 0;
  // Called after each game a build loads (games so far, nodes so far, path).
  std::function<void(long long, size_t, const std::string&)> OnGameLoaded;
  // The build's limit in seconds (seven days) and its clock; tests change them.
  uint32_t MaxBuildSeconds = 604800;
  uint32_t (*BuildClock)() = nullptr;  // nullptr: GetTick
  // Reference path for tests and benchmarks: the images are built as whole
  // positions and every node goes through AddNode (a binary search and an
  // array insertion each) instead of the gatherer.
  bool InsertEachNode = false;

  // "<exe dir>creating.txt", the build log.
  static std::string LogPath();

 private:
  // Calls visit(index) for each candidate of the side to move at the lock
  // found at `at`, in lookup order.
  template <typename Visit>
  void ForEachCandidate(size_t at, int redToMove, Visit&& visit) const;
  void AddBuildNode(const BookNode& node);
  size_t BuildNodeCount() const;
  int WalkDir(CGame& game, const std::string& dir, uint32_t startTick);
  uint32_t BuildTick() const;
  bool IsInsideWalk(const std::string& dir) const;
  CBookGatherer Gatherer;
  std::vector<std::string> WalkStack;  // the folders the walk is inside, resolved
};

// a + b, held at the ends of the 32-bit range instead of wrapping round.
inline int32_t AddWeights(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  if (sum > INT32_MAX) return INT32_MAX;
  if (sum < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(sum);
}
