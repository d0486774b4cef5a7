#pragma once
// Builds an opening book from a tree of game records: every move of every
// game for its position, the left-right mirror and both turned round with
// colours swapped, weighted by the game's result; then the weak nodes go and
// the book is written. Progress goes to the log creating.txt.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/opening_book.h"
#include "jobs/book_gatherer.h"
#include "jobs/job.h"

class CGame;
class CPosition;
class CTransTable;
struct CMove;

class CBookBuilder {
 public:
  explicit CBookBuilder(COpeningBook& book) : Book(book) {}

  COpeningBook& Book;
  std::atomic<int> Stop {1};  // 1 idle; a build clears it; setting it to 1 stops the build

  // Adds the move for the position, its left-right mirror (weight w1) and
  // both turned round with colours swapped (weight w2). 0 when a transform fails.
  int AddPosition(const CPosition& position, const CTransTable& keys, const CMove& move, int32_t w1,
                  int32_t w2);
  // Loads one game record into the game and adds every move; 1 on success.
  int LoadGame(CGame& game, const std::string& path);
  // Builds the book from every game file under the folder (each real folder
  // once; files that are no whole game are skipped and named in
  // SkippedFiles), culls it and writes it once; 1 on success (also when
  // stopped early), 0 with Error set otherwise: an unreadable folder, no
  // game, no node left by culling, or a book that cannot be written. Then
  // nothing is written.
  int LoadDIR(CGame& game, const std::string& dir, int32_t minWeight, int32_t wonWeight, int32_t drawWeight,
              int32_t lossWeight);
  // Keeps only nodes of at least MinWeight and logs the count and weights.
  int CullBad(uint32_t startTick);

  // What made the last LoadDIR fail, naming the file or folder, and its English wording.
  CJobError Error;
  std::string BuildError;
  // "path: why" of each file the last LoadDIR skipped.
  std::vector<std::string> SkippedFiles;
  // Where the book is written; empty: COpeningBook::DefaultPath().
  std::string SavePath;
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
  void AddBuildNode(const BookNode& node);
  size_t BuildNodeCount() const;
  bool WalkDir(CGame& game, const std::string& dir, uint32_t startTick);
  uint32_t BuildTick() const;
  void Fail(CJobFault fault, const std::string& setting, const std::string& path, const std::string& detail);
  CBookGatherer Gatherer;
};
