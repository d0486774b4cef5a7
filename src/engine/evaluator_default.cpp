// The piece-value model: material and placement, mobility, control of
// squares and an exchange estimate for every attacked piece. One walk over
// every piece's destinations per evaluation gathers all of it; for each
// piece standing on a destination it counts the walker's kind in a compact
// tally rather than appending to a list.
#include <algorithm>
#include <array>
#include <mutex>

#include "engine/evaluator.h"
#include "engine/score.h"
#include "rules/move_tables.h"

namespace {

// By kind 0..7: none, pawn, elephant, advisor, horse, cannon, chariot, king.
constexpr int kBaseValue[8] = {0, 60, 120, 125, 270, 285, 600, 6000};
constexpr int kMobilityUnit[8] = {0, 15, 1, 1, 12, 6, 6, 0};
constexpr int kExchangeValue[8] = {0, 60, 120, 125, 270, 285, 600, 6000};
constexpr int kMobilityEntries = 24;  // mobility 0..22; entry 23 is 0

// Placement values for red, rows 3..12 top to bottom, columns 3..11.
using CGrid = int[10][9];
constexpr CGrid kChariotGrid = {
    {14, 14, 12, 18, 16, 18, 12, 14, 14}, {16, 20, 18, 24, 26, 24, 18, 20, 16},
    {12, 12, 12, 18, 18, 18, 12, 12, 12}, {12, 18, 16, 22, 22, 22, 16, 18, 12},
    {12, 14, 12, 18, 18, 18, 12, 14, 12}, {12, 16, 14, 20, 20, 20, 14, 16, 12},
    {6, 10, 8, 14, 14, 14, 8, 10, 6},     {4, 8, 6, 14, 12, 14, 6, 8, 4},
    {8, 4, 8, 16, 8, 16, 8, 4, 8},        {-2, 10, 6, 14, 12, 14, 6, 10, -2}};
constexpr CGrid kCannonGrid = {
    {6, 4, 0, -10, -12, -10, 0, 4, 6}, {2, 2, 0, -4, -14, -4, 0, 2, 2},
    {2, 2, 0, -10, -8, -10, 0, 2, 2},  {0, 0, -2, 4, 10, 4, -2, 0, 0},
    {0, 0, 0, 2, 8, 2, 0, 0, 0},       {-2, 0, 4, 2, 6, 2, 4, 0, -2},
    {0, 0, 0, 2, 4, 2, 0, 0, 0},       {4, 0, 8, 6, 10, 6, 8, 0, 4},
    {0, 2, 4, 6, 6, 6, 4, 2, 0},       {0, 0, 2, 6, 6, 6, 2, 0, 0}};
constexpr CGrid kHorseGrid = {
    {4, 8, 16, 12, 4, 12, 16, 8, 4},     {4, 10, 28, 16, 8, 16, 28, 10, 4},
    {12, 14, 16, 20, 18, 20, 16, 14, 12}, {8, 24, 18, 24, 20, 24, 18, 24, 8},
    {6, 16, 14, 18, 16, 18, 14, 16, 6},  {4, 12, 16, 14, 12, 14, 16, 12, 4},
    {2, 6, 8, 6, 10, 6, 8, 6, 2},        {4, 2, 8, 8, 4, 8, 8, 2, 4},
    {0, 2, 4, 4, -2, 4, 4, 2, 0},        {0, -4, 0, 0, 0, 0, 0, -4, 0}};
constexpr CGrid kPawnGrid = {
    {0, 3, 6, 9, 12, 9, 6, 3, 0},         {18, 36, 56, 80, 120, 80, 56, 36, 18},
    {14, 26, 42, 60, 80, 60, 42, 26, 14}, {10, 20, 30, 34, 40, 34, 30, 20, 10},
    {6, 12, 18, 18, 20, 18, 18, 12, 6},   {2, 0, 8, 0, 8, 0, 8, 0, 2},
    {0, 0, -2, 0, 4, 0, -2, 0, 0},        {0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0},          {0, 0, 0, 0, 0, 0, 0, 0, 0}};

constexpr const CGrid* GridOf(int kind) {
  switch (kind) {
    case CHARIOT: return &kChariotGrid;
    case CANNON: return &kCannonGrid;
    case HORSE: return &kHorseGrid;
    case PAWN: return &kPawnGrid;
    default: return nullptr;  // elephants, advisors and kings have no placement values
  }
}

// The value tables, scaled by 32 and seen from red's side, fixed at compile time.
constexpr auto kPieceSquareValue = [] {
  std::array<std::array<int32_t, 256>, 48> table {};
  for (int id = 1; id <= 32; ++id) {
    const int kind = PieceKind[id];
    const int side = PieceSide[id];
    const int sign = side == RED ? 1 : -1;
    const CGrid* grid = GridOf(kind);
    for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row)
      for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
        // Black reads red's grid upside down.
        const int gridRow = (side == RED ? row : 15 - row) - ROW_TOP;
        const int placement = grid ? (*grid)[gridRow][col - COL_LEFT] : 0;
        table[id][SquareOf(row, col)] = sign * 32 * (kBaseValue[kind] + placement);
      }
  }
  return table;
}();

constexpr auto kMobilityBonus = [] {
  std::array<std::array<int32_t, kMobilityEntries>, 48> table {};
  for (int id = 1; id <= 32; ++id) {
    const int sign = PieceSide[id] == RED ? 1 : -1;
    for (int m = 0; m < kMobilityEntries - 1; ++m)
      table[id][m] = sign * 32 * (m + 1) * kMobilityUnit[PieceKind[id]];
  }
  return table;
}();

// The same tables for the walk, unscaled and by kind from red's side (a
// black piece reads its square turned upside down, row r as row 15 - r, and
// counts negative): small enough to stay in the nearest cache.
constexpr auto kPlacementUnits = [] {
  std::array<std::array<int16_t, 256>, 8> table {};
  for (int kind = 1; kind <= 7; ++kind)
    for (int square = 0; square < 256; ++square)
      table[kind][square] = static_cast<int16_t>(kPieceSquareValue[KindIdRange[kind][RED][0]][square] / 32);
  return table;
}();

constexpr auto kMobilityUnits = [] {
  std::array<std::array<int16_t, kMobilityEntries>, 8> table {};
  for (int kind = 1; kind <= 7; ++kind)
    for (int m = 0; m < kMobilityEntries; ++m)
      table[kind][m] = static_cast<int16_t>(kMobilityBonus[KindIdRange[kind][RED][0]][m] / 32);
  return table;
}();

constexpr auto kExchangeValueScaled = [] {
  std::array<int32_t, 8> table {};
  for (int kind = 0; kind < 8; ++kind) table[kind] = 32 * kExchangeValue[kind];
  return table;
}();

// How many empty places a chariot or cannon reaches along a column / a row,
// counted once per process from the move tables.
uint8_t g_QuietCountColumn[10][1024];
uint8_t g_QuietCountRow[9][512];
std::once_flag g_TablesBuilt;

void BuildQuietCounts() {
  BuildMoveTables();
  for (int place = 0; place < 10; ++place)
    for (int pattern = 0; pattern < 1024; ++pattern) {
      int n = 0;
      while (n < 9 && ChariotQuietColumn[place][pattern][n]) ++n;
      g_QuietCountColumn[place][pattern] = static_cast<uint8_t>(n);
    }
  for (int place = 0; place < 9; ++place)
    for (int pattern = 0; pattern < 512; ++pattern) {
      int n = 0;
      while (n < 8 && ChariotQuietRow[place][pattern][n]) ++n;
      g_QuietCountRow[place][pattern] = static_cast<uint8_t>(n);
    }
}

// What the piece on a destination is to a walking piece of each side:
// 0 an enemy, 1 one of its own, 2 none (an empty square).
constexpr auto kRelation = [] {
  std::array<std::array<uint8_t, 48>, 2> table {};
  for (int side = 0; side < 2; ++side)
    for (int id = 0; id < 48; ++id)
      table[side][id] = static_cast<uint8_t>(id == 0 || id > 32 ? 2 : PieceSide[id] == side ? 1 : 0);
  return table;
}();

// What a walker of each kind adds to the tally of the piece on a destination,
// by relation: one attacker of its kind, one defender of its kind, nothing.
constexpr auto kTallyUnit = [] {
  std::array<std::array<uint64_t, 3>, 8> table {};
  for (int kind = 1; kind <= 7; ++kind) {
    table[kind][0] = uint64_t {1} << (4 * (kind - 1));
    table[kind][1] = uint64_t {1} << (32 + 4 * (kind - 1));
  }
  return table;
}();

// One piece's walk. Empty squares add to the tally of identity 0, which
// nobody reads.
struct CPieceWalk {
  uint64_t* Tally;
  const int32_t* Board;
  const uint8_t* Relation;
  const uint64_t* Unit;
  int Mobility = 0;  // destinations empty or held by an enemy
  int Reach = 0;     // every destination, own-held ones included

  void Touch(int square) {
    const int other = Board[square];
    const int relation = Relation[other];
    Tally[other] += Unit[relation];
    Mobility += relation != 1 ? 1 : 0;
    ++Reach;
  }
  template <int N>
  void TouchList(const uint8_t (&list)[N]) {
    for (int i = 0; i < N && list[i] != 0; ++i) Touch(list[i]);
  }
};

// Ascending insertion sort of a short list of kinds.
void SortKinds(int* kinds, int count) {
  for (int i = 1; i < count; ++i) {
    const int kind = kinds[i];
    int j = i;
    for (; j > 0 && kinds[j - 1] > kind; --j) kinds[j] = kinds[j - 1];
    kinds[j] = kind;
  }
}

// The exchange estimate over exchange values sorted ascending.
int ExchangeOfValues(int t, const int* a, int n, const int* d, int m, int k, int j) {
  int r = -(t >> k);
  if (m < n) {
    int x = t;
    for (int i = 0; i < m; ++i) x += d[i] - a[i];
    if (x <= 0) return -(t >> j);
    if (m == 0) return r;
    x -= t;
    for (int i = 0; i < m; ++i) {
      if (x >= 0) return r + (a[i] >> j);
      r += a[i] >> k;
      if (x + a[i] <= 0) return r - (d[i] >> j);
      x += a[i] - d[i];
      r -= d[i] >> k;
    }
    return r;
  }

  int x = t;
  for (int i = 0; i < n - 1; ++i) x += d[i];
  for (int i = 0; i < n; ++i) x -= a[i];
  if (x <= 0) return -(t >> j);
  if (x - t >= 0) return r + (a[0] >> j);
  r += a[0] >> k;
  if (n == 1) return r;
  int u = a[0] + x - t;
  for (int i = 0; i < n - 1; ++i) {
    if (u <= 0) return r - (d[i] >> j);
    r -= d[i] >> k;
    if (u - d[i] >= 0) return r + (a[i + 1] >> j);
    u += a[i + 1] - d[i];
    r += a[i + 1] >> k;
  }
  return r;
}

// The kinds counted in 28 bits of a tally, as a list in ascending kind order.
int KindsOfCounts(uint64_t counts, int* kinds) {
  int n = 0;
  for (int kind = 1; kind <= 7; ++kind)
    for (uint64_t c = (counts >> (4 * (kind - 1))) & 15; c > 0; --c) kinds[n++] = kind;
  return n;
}

}  // namespace

CEvaluator::CEvaluator() {
  std::call_once(g_TablesBuilt, BuildQuietCounts);
}

int CEvaluator::PieceSquareValue(int id, int square) { return kPieceSquareValue[id][square]; }
int CEvaluator::MobilityBonus(int id, int mobility) { return kMobilityBonus[id][mobility]; }
int CEvaluator::ExchangeValue(int kind) { return kExchangeValueScaled[kind]; }

// Pieces of one side, kind by kind (the tallies are counts, so the order of
// the walk does not matter). Returns the side's placement and mobility
// terms, seen from red's side.
template <int Side>
int CEvaluator::WalkSide(const CPosition& position) {
  constexpr int base = Side == RED ? 0 : 16;
  const int32_t* board = position.Board;
  int tableSum = 0;
  int control = 0;
  auto walker = [&](int kind) { return CPieceWalk {Tally, board, kRelation[Side].data(), kTallyUnit[kind].data()}; };
  auto finish = [&](int id, int square, const CPieceWalk& walk, bool controls) {
    PieceMobility[id] = walk.Mobility;
    if (controls) control += walk.Reach;
    const int kind = PieceKind[id];
    tableSum += kPlacementUnits[kind][Side == RED ? square : square ^ 0xF0] +
                kMobilityUnits[kind][std::min(walk.Mobility, kMobilityEntries - 1)];
  };
  for (int id = base + 1; id <= base + 4; ++id) {  // chariots, cannons
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const int row = at.Row, col = at.Col;
    const int colPattern = PatternIndex[position.ColBits[col]];
    const int rowPattern = PatternIndex[position.RowBits[row]];
    const auto& line = id <= base + 2 ? ChariotCaptureLine : CannonCaptureLine;
    CPieceWalk walk = walker(PieceKind[id]);
    for (const uint8_t targetRow : line[row - ROW_TOP][colPattern])
      if (targetRow) walk.Touch(SquareOf(targetRow, col));
    for (const uint8_t targetCol : line[col - COL_LEFT][rowPattern])
      if (targetCol) walk.Touch(SquareOf(row, targetCol));
    const int quiet = g_QuietCountColumn[row - ROW_TOP][colPattern] + g_QuietCountRow[col - COL_LEFT][rowPattern];
    walk.Mobility += quiet;
    walk.Reach += quiet;
    finish(id, at.Index(), walk, true);
  }
  for (int id = base + 5; id <= base + 6; ++id) {  // horses
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const int square = at.Index();
    CPieceWalk walk = walker(HORSE);
    walk.TouchList(HorseMoves[square][HorseLegMask(board, square)]);
    finish(id, square, walk, true);
  }
  for (int id = base + 7; id <= base + 8; ++id) {  // advisors
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const int square = at.Index();
    CPieceWalk walk = walker(ADVISOR);
    walk.TouchList(AdvisorMoves[square]);
    finish(id, square, walk, false);
  }
  for (int id = base + 9; id <= base + 10; ++id) {  // elephants
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const int square = at.Index();
    CPieceWalk walk = walker(ELEPHANT);
    walk.TouchList(ElephantMoves[square][ElephantEyeMask(board, square)]);
    finish(id, square, walk, false);
  }
  for (int id = base + 11; id <= base + 15; ++id) {  // pawns
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const int square = at.Index();
    CPieceWalk walk = walker(PAWN);
    walk.TouchList(PawnMoves[Side][square]);
    finish(id, square, walk, true);
  }
  const CSquare kingAt = position.PieceSquare[base + 16];
  if (!kingAt.IsNone()) {
    // Facing kings never reach here: the side to move would capture first.
    CPieceWalk walk = walker(KING);
    walk.TouchList(KingMoves[kingAt.Index()]);
    finish(base + 16, kingAt.Index(), walk, true);
  }
  Control[Side] = control;
  return Side == RED ? 32 * tableSum : -32 * tableSum;
}

int CEvaluator::WalkPieces(const CPosition& position) {
  std::fill(Tally, Tally + 33, uint64_t {0});
  return WalkSide<RED>(position) + WalkSide<BLACK>(position);
}

void CEvaluator::BuildAttackRecords(const CPosition& position) {
  WalkPieces(position);
  for (int id = 1; id <= 32; ++id) {
    CAttackRecord& record = Attacks[id];
    record.Mobility = position.IsOnBoard(id) ? PieceMobility[id] : 0;
    record.AttackerCount = KindsOfCounts(Tally[id] & TALLY_ATTACKER_BITS, record.Attackers);
    record.DefenderCount = KindsOfCounts(Tally[id] >> 32, record.Defenders);
  }
}

int CEvaluator::StaticDefault(int redToMove, int inCheck, int redSide) {
  const int us = redToMove ? RED : BLACK;
  int score = (Control[us] - Control[us ^ 1]) * 64 - (inCheck ? 640 : 0);
  score += us == RED ? redSide : -redSide;
  // Pieces off the board have empty tallies.
  for (int id = 1; id <= 32; ++id) {
    if (!IsTalliedAttacked(id)) continue;
    const bool own = PieceSide[id] == us;
    const int e = ExchangeOfTally(Tally[id], PieceKind[id], own);
    score += own ? e : -e;
  }
  return score;
}

int CEvaluator::ExchangeOfTally(uint64_t tally, int kind, bool own) {
  // Bits 28..31 of a tally are always clear: room for the kind and the side.
  const uint64_t key = tally | uint64_t(kind) << 28 | uint64_t(own ? 1 : 0) << 31;
  CExchangeSlot& slot = ExchangeSlots[(key * 0x9E3779B97F4A7C15ull) >> (64 - EXCHANGE_SLOT_BITS)];
  if (slot.Key == key) return slot.Value;
  int a[16], d[16];
  const int n = KindsOfCounts(tally & TALLY_ATTACKER_BITS, a);
  const int m = KindsOfCounts(tally >> 32, d);
  for (int i = 0; i < n; ++i) a[i] = kExchangeValueScaled[a[i]];
  for (int i = 0; i < m; ++i) d[i] = kExchangeValueScaled[d[i]];
  const int value = ExchangeOfValues(kExchangeValueScaled[kind], a, n, d, m, own ? 3 : 2, own ? 5 : 4);
  slot.Key = key;
  slot.Value = value;
  return value;
}

int CEvaluator::ExchangeEstimate(int targetKind, const int* attackers, int attackerCount,
                                 const int* defenders, int defenderCount, int shiftK,
                                 int shiftJ) {
  const int n = std::min(attackerCount, 16);
  const int m = std::min(defenderCount, 16);
  if (n <= 0) return 0;
  int a[16], d[16];
  std::copy(attackers, attackers + n, a);
  std::copy(defenders, defenders + m, d);
  SortKinds(a, n);
  SortKinds(d, m);
  for (int i = 0; i < n; ++i) a[i] = kExchangeValueScaled[a[i]];
  for (int i = 0; i < m; ++i) d[i] = kExchangeValueScaled[d[i]];
  return ExchangeOfValues(kExchangeValueScaled[targetKind], a, n, d, m, shiftK, shiftJ);
}
