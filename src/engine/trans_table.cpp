#include "engine/trans_table.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/bits.h"
#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/int_scan.h"
#include "common/notices.h"
#include "common/random.h"
#include "common/shipped_data.h"
#include "rules/pieces.h"

namespace {

// Count must fit a signed 32-bit value, so the tables stop at 2^30 entries.
constexpr int MAX_TABLE_LOG2 = 30;

// What ReadKeyFile found.
constexpr int KEY_FILE_MISSING = 0;
constexpr int KEY_FILE_LOADED = 1;
constexpr int KEY_FILE_DAMAGED = 2;

bool ReadField(const char*& p, const char* end, int32_t& value) {
  if (!ReadInt32(p, end, value)) return false;
  if (p >= end || *p != ';') return false;
  ++p;
  return true;
}

// A table on 2 MB pages where the system offers them: probes land anywhere
// in it, and small pages would make most of them miss the address cache.
HashEntry* AllocateTable(size_t count) {
  constexpr size_t kHugePage = size_t {2} << 20;
  const size_t bytes = count * sizeof(HashEntry);
  const bool huge = bytes % kHugePage == 0;
  void* memory = huge ? std::aligned_alloc(kHugePage, bytes) : std::malloc(bytes);
  if (!memory) return nullptr;
  if (huge) madvise(memory, bytes, MADV_HUGEPAGE);  // only advice: failure changes nothing
  auto* table = static_cast<HashEntry*>(memory);
  std::uninitialized_default_construct_n(table, count);
  return table;
}

}  // namespace

void CTransTable::CTableFree::operator()(HashEntry* table) const { std::free(table); }

std::string CTransTable::KeyFilePath() {
  // A new data folder takes the shipped keys (those the shipped book was
  // built with) instead of drawing its own, whatever the generator's state.
  SeedDataFolder();
  return GetExePath() + kShippedKeyFile;
}

int CTransTable::Setup(int64_t requestedEntries) {
  std::memset(KeyTable, 0, sizeof KeyTable);
  std::memset(LockTable, 0, sizeof LockTable);
  Key32 = 0;
  Lock64 = 0;
  Count = 0;
  Mask = 0;
  Tables[0].reset();
  Tables[1].reset();

  const std::string path = KeyFilePath();
  const int state = ReadKeyFile(path);
  if (state != KEY_FILE_LOADED) {
    // A damaged file is kept for inspection rather than read as far as its
    // numbers go: half-read keys would silently disagree with the book.
    if (state == KEY_FILE_DAMAGED) KeepAside(path);
    if (!GenerateKeys(path)) return 0;
    if (state == KEY_FILE_DAMAGED)
      PostNotice(CNoticeKind::KeysRegenerated, path);
  }

  const int log2 = std::min(FloorLog2(requestedEntries), MAX_TABLE_LOG2);
  const int32_t count = int32_t {1} << log2;
  std::unique_ptr<HashEntry[], CTableFree> red(AllocateTable(static_cast<size_t>(count)));
  std::unique_ptr<HashEntry[], CTableFree> black(AllocateTable(static_cast<size_t>(count)));
  if (!red || !black) return 0;  // no memory for this size: no tables, the search refuses to run
  Tables[0] = std::move(red);
  Tables[1] = std::move(black);
  Count = count;
  Mask = count - 1;
  Generation = 1;
  return 1;
}

// Reads the 2880 records of the key file. Missing when it does not open,
// Damaged when it holds fewer complete records or anything but numbers.
int CTransTable::ReadKeyFile(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return KEY_FILE_MISSING;
  const char* p = text.data();
  const char* end = p + text.size();
  for (int id = 1; id <= 32; ++id) {
    for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
      for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
        int32_t key = 0, low = 0, high = 0;
        if (!ReadField(p, end, key) || !ReadField(p, end, low) || !ReadField(p, end, high)) {
          std::memset(KeyTable, 0, sizeof KeyTable);
          std::memset(LockTable, 0, sizeof LockTable);
          return KEY_FILE_DAMAGED;
        }
        const int sq = SquareOf(row, col);
        KeyTable[id][sq] = static_cast<uint32_t>(key);
        LockTable[id][sq] = static_cast<uint64_t>(static_cast<uint32_t>(low)) |
                            (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32);
      }
    }
  }
  return KEY_FILE_LOADED;
}

// Draws one key block per side and kind (like pieces share their keys),
// hands the blocks to the identities and writes the key file. 1/0.
int CTransTable::GenerateKeys(const std::string& path) {
  uint32_t keyBlock[2][8][10][9] {};
  uint64_t lockBlock[2][8][10][9] {};
  for (int side = RED; side <= BLACK; ++side)
    for (int kind = PAWN; kind <= KING; ++kind)
      for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 9; ++c) {
          keyBlock[side][kind][r][c] = Random32();
          lockBlock[side][kind][r][c] = Random64();
        }
  for (int id = 1; id <= 32; ++id)
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 9; ++c) {
        const int sq = SquareOf(ROW_TOP + r, COL_LEFT + c);
        KeyTable[id][sq] = keyBlock[PieceSide[id]][PieceKind[id]][r][c];
        LockTable[id][sq] = lockBlock[PieceSide[id]][PieceKind[id]][r][c];
      }

  EnsureDirectory(GetExePath() + "rand");
  CAtomicFile file;
  FILE* out = file.Open(path, "w");
  if (!out) return 0;
  for (int id = 1; id <= 32; ++id)
    for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row)
      for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
        const int sq = SquareOf(row, col);
        std::fprintf(out, "%d;%d;%d;", static_cast<int32_t>(KeyTable[id][sq]),
                     static_cast<int32_t>(static_cast<uint32_t>(LockTable[id][sq])),
                     static_cast<int32_t>(static_cast<uint32_t>(LockTable[id][sq] >> 32)));
      }
  return file.Commit();
}

void CTransTable::ClearAll() {
  for (auto& table : Tables)
    if (table) std::fill(table.get(), table.get() + Count, HashEntry {});
  Generation = 1;
}

void CTransTable::NewGeneration() {
  // After 255 searches the stamps would come round again: clear for real.
  if (++Generation == 0) ClearAll();
}

void CTransTable::ResetKeys(const CPosition& position) {
  Key32 = 0;
  Lock64 = 0;
  for (int id = 1; id <= 32; ++id) {
    if (!position.IsOnBoard(id)) continue;
    const int sq = position.PieceSquare[id].Index();
    Key32 ^= KeyTable[id][sq];
    Lock64 ^= LockTable[id][sq];
  }
}

uint64_t CTransTable::LockOf(const CPosition& position) const {
  uint64_t lock = 0;
  for (int id = 1; id <= 32; ++id)
    if (position.IsOnBoard(id)) lock ^= LockTable[id][position.PieceSquare[id].Index()];
  return lock;
}

void CTransTable::Store(int redToMove, int flag, int value, int depth, int movePiece,
                        const CSquare& moveTo) {
  HashEntry& entry = Probe(redToMove);
  if (Matches(entry) && entry.Depth > depth) return;
  entry.Lock = Lock64;
  entry.Generation = Generation;
  entry.Flag = static_cast<uint8_t>(flag) & 3u;
  entry.Value = value;
  entry.Depth = static_cast<int8_t>(depth);
  entry.MovePiece = static_cast<uint8_t>(movePiece) & 63u;
  entry.MoveToRow = static_cast<uint8_t>(moveTo.Row) & 15u;
  entry.MoveToCol = static_cast<uint8_t>(moveTo.Col) & 15u;
}
