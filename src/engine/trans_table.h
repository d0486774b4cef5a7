#pragma once
// Position keys and the two transposition tables (one per side to move).
// Keys: KeyTable / LockTable hold one random 32-bit key and 64-bit lock per
// identity and square, kept in the key file rand/rand.has so that they stay
// the same from run to run (the opening book depends on that). The side to
// move is not hashed: each side has its own table.
#include <cstdint>
#include <memory>
#include <string>

#include "rules/move.h"
#include "rules/position.h"

// 16 bytes, four to a cache line: the tables are probed at random at every
// node, and the smaller they are the more of them the caches hold.
struct HashEntry {
  uint64_t Lock = 0;       // Lock64 of the stored position; 0 when empty
  int32_t Value = 0;       // from the point of view of the table's side to move
  int8_t Depth = 0;        // remaining depth (below 128); -1 for a leaf evaluation
  uint8_t Flag : 2 = 0;    // 0 empty, 1 exact, 2 lower bound, 3 upper bound
  uint8_t MovePiece : 6 = 0;
  uint8_t MoveToRow : 4 = 0;
  uint8_t MoveToCol : 4 = 0;
  uint8_t Generation = 0;  // the search that stored it; 0 when empty
};
static_assert(sizeof(HashEntry) == 16, "a table of n entries takes 16n bytes");

constexpr int HASH_EMPTY = 0;
constexpr int HASH_EXACT = 1;
constexpr int HASH_LOWER = 2;
constexpr int HASH_UPPER = 3;

class CTransTable {
 public:
  CTransTable() = default;
  CTransTable(const CTransTable&) = delete;
  CTransTable& operator=(const CTransTable&) = delete;

  uint32_t KeyTable[48][256] {};
  uint64_t LockTable[48][256] {};
  uint32_t Key32 = 0;
  uint64_t Lock64 = 0;
  int32_t Count = 0;  // entries per table, a power of two
  int32_t Mask = 0;   // Count - 1
  // Entries of other generations count as empty, so a new search starts
  // with an empty table without touching every entry (a large table would
  // spend the search's time being cleared).
  uint8_t Generation = 1;

  // Loads the keys from the key file, or generates and writes them when it is
  // missing (a damaged file is kept aside first); allocates both tables with
  // 2^FloorLog2(n) entries (at most 2^30). 1, or 0 when the key file had to
  // be written and could not be, or the tables found no memory (then no tables
  // are allocated).
  int Setup(int64_t requestedEntries);
  bool HasTables() const { return Tables[0] != nullptr; }

  // Empties every entry of both tables.
  void ClearAll();
  // Empties both tables for a new search at once: a new generation.
  void NewGeneration();
  // Key32 / Lock64 from scratch for the pieces on the board.
  void ResetKeys(const CPosition& position);
  // Incremental updates around MakeMove / UnmakeMove.
  void MakeMoveKeys(const CMove& m) {
    Toggle(m.Piece, m.From);
    if (m.Captured != 0) Toggle(m.Captured, m.To);
    Toggle(m.Piece, m.To);
  }
  void UnmakeMoveKeys(const CMove& m) {
    Toggle(m.Piece, m.To);
    if (m.Captured != 0) Toggle(m.Captured, m.To);
    Toggle(m.Piece, m.From);
  }

  // The slot of the current position in the side's table (it matches when
  // its Lock equals Lock64).
  HashEntry& Probe(int redToMove) { return Tables[redToMove ? 0 : 1][Key32 & static_cast<uint32_t>(Mask)]; }
  bool Matches(const HashEntry& entry) const { return entry.Lock == Lock64 && entry.Generation == Generation; }
  // Starts loading the current position's slot (after MakeMoveKeys, before the probe).
  void Prefetch(int redToMove) const { __builtin_prefetch(&Tables[redToMove ? 0 : 1][Key32 & static_cast<uint32_t>(Mask)]); }
  // Starts loading the slot of the position after the move (keys as they are before it).
  void PrefetchAfter(const CMove& m, int redToMove) const {
    uint32_t key = Key32 ^ KeyTable[m.Piece][m.From.Index()] ^ KeyTable[m.Piece][m.To.Index()];
    if (m.Captured != 0) key ^= KeyTable[m.Captured][m.To.Index()];
    __builtin_prefetch(&Tables[redToMove ? 0 : 1][key & static_cast<uint32_t>(Mask)]);
  }
  // Writes the slot unless it holds this position with a greater depth.
  void Store(int redToMove, int flag, int value, int depth, int movePiece, const CSquare& moveTo);

  // The lock of an arbitrary placement (book building, start-position test).
  uint64_t LockOf(const CPosition& position) const;

  // "<exe dir>rand/rand.has"
  static std::string KeyFilePath();

 private:
  void Toggle(int piece, const CSquare& square) {
    const int sq = square.Index();
    Key32 ^= KeyTable[piece][sq];
    Lock64 ^= LockTable[piece][sq];
  }
  int ReadKeyFile(const std::string& path);
  int GenerateKeys(const std::string& path);

  struct CTableFree {
    void operator()(HashEntry* table) const;
  };
  std::unique_ptr<HashEntry[], CTableFree> Tables[2];
};
