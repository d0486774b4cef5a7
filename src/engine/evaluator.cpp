// The evaluator's dispatch, the king-and-check handling both models share,
// and the piece-value model: material and placement, mobility, control of
// squares and an exchange estimate for every attacked piece.
#include "engine/evaluator.h"

#include <algorithm>
#include <array>
#include <mutex>

#include "engine/search_engine.h"
#include "rules/move_rules.h"
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

// Ascending insertion sort of a short list of kinds.
void SortKinds(int* kinds, int count) {
  for (int i = 1; i < count; ++i) {
    const int kind = kinds[i];
    int j = i;
    for (; j > 0 && kinds[j - 1] > kind; --j) kinds[j] = kinds[j - 1];
    kinds[j] = kind;
  }
}

}  // namespace

CEvaluator::CEvaluator() {
  std::call_once(g_TablesBuilt, BuildQuietCounts);
}

int CEvaluator::PieceSquareValue(int id, int square) { return kPieceSquareValue[id][square]; }
int CEvaluator::MobilityBonus(int id, int mobility) { return kMobilityBonus[id][mobility]; }
int CEvaluator::ExchangeValue(int kind) { return kExchangeValueScaled[kind]; }

int CEvaluator::EvaluatePosition(CPosition& position, int redToMove, int ply) {
  return EvalModel == EVAL_MODEL_ANN ? EvaluateAnn(position, redToMove, ply)
                                     : EvaluateDefault(position, redToMove, ply);
}

int CEvaluator::EvaluateDefault(CPosition& position, int redToMove, int ply) {
  return ScoreWithChecks<EVAL_MODEL_DEFAULT>(position, redToMove, std::clamp(ply, 0, MAX_PLY - 1));
}

int CEvaluator::EvaluateAnn(CPosition& position, int redToMove, int ply) {
  return ScoreWithChecks<EVAL_MODEL_ANN>(position, redToMove, std::clamp(ply, 0, MAX_PLY - 1));
}

template <int Model>
int CEvaluator::ScoreWithChecks(CPosition& position, int redToMove, int ply) {
  if (IsAttackingKing(position, redToMove)) return MATE_SCORE;
  const int inCheck = IsInCheck(position, redToMove);
  if (inCheck) {
    CMoveList& list = Generator.AllMoves[ply];
    if (ply > EVASION_PLY_LIMIT) {
      // Search the evasions; no legal one leaves -MATE_SCORE.
      GenerateAllMoves(position, redToMove, list);
      const int opponent = redToMove ? 0 : 1;
      int best = -MATE_SCORE;
      for (int i = 0; i < list.Count; ++i) {
        const CMove& move = list.Moves[i];
        position.MakeMove(move);
        if (!IsAttackingKing(position, opponent)) {
          const int reply = ScoreWithChecks<Model>(position, opponent, ply - 1);
          if (reply == NO_SCORE) {  // the network cannot score: no score here either
            position.UnmakeMove(move);
            return NO_SCORE;
          }
          best = std::max(best, -reply);
        }
        position.UnmakeMove(move);
      }
      return best;
    }
    if (HasNoLegalMove(position, redToMove, list)) return -MATE_SCORE;
  }
  if constexpr (Model == EVAL_MODEL_ANN)
    return StaticAnn(position, redToMove);
  else
    return StaticDefault(position, redToMove, inCheck);
}

void CEvaluator::BuildAttackRecords(const CPosition& position) {
  Control[RED] = Control[BLACK] = 0;
  for (int id = 1; id <= 32; ++id) {
    Attacks[id].Mobility = 0;
    Attacks[id].AttackerCount = 0;
    Attacks[id].DefenderCount = 0;
  }
  const int32_t* board = position.Board;
  for (int id = 1; id <= 32; ++id) {
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const int square = at.Index();
    const int side = id > 16 ? BLACK : RED;
    const int kind = PieceKind[id];
    int mobility = 0;
    int reach = 0;  // destinations, own-occupied ones included
    // One destination: empty or enemy counts as mobility; a piece there is
    // attacked or defended by this one.
    auto touch = [&](int target) {
      ++reach;
      const int other = board[target];
      if (other == 0) {
        ++mobility;
      } else if ((other > 16 ? BLACK : RED) != side) {
        ++mobility;
        CAttackRecord& record = Attacks[other];
        record.Attackers[record.AttackerCount++] = kind;
      } else {
        CAttackRecord& record = Attacks[other];
        record.Defenders[record.DefenderCount++] = kind;
      }
    };
    auto touchList = [&](const uint8_t* list, int capacity) {
      for (int i = 0; i < capacity && list[i]; ++i) touch(list[i]);
    };
    switch (kind) {
      case PAWN: touchList(PawnMoves[side][square], 3); break;
      case ELEPHANT: touchList(ElephantMoves[square][ElephantEyeMask(board, square)], 4); break;
      case ADVISOR: touchList(AdvisorMoves[square], 4); break;
      case HORSE: touchList(HorseMoves[square][HorseLegMask(board, square)], 8); break;
      case KING:
        // Facing kings never reach here: the side to move would capture first.
        touchList(KingMoves[square], 4);
        break;
      case CANNON:
      case CHARIOT: {
        const int row = at.Row, col = at.Col;
        const int colPattern = PatternIndex[position.ColBits[col]];
        const int rowPattern = PatternIndex[position.RowBits[row]];
        const auto& line = kind == CHARIOT ? ChariotCaptureLine : CannonCaptureLine;
        for (const uint8_t targetRow : line[row - ROW_TOP][colPattern])
          if (targetRow) touch(SquareOf(targetRow, col));
        for (const uint8_t targetCol : line[col - COL_LEFT][rowPattern])
          if (targetCol) touch(SquareOf(row, targetCol));
        const int quiet = g_QuietCountColumn[row - ROW_TOP][colPattern] +
                          g_QuietCountRow[col - COL_LEFT][rowPattern];
        mobility += quiet;
        reach += quiet;
        break;
      }
      default: break;
    }
    Attacks[id].Mobility = mobility;
    if (kind != ELEPHANT && kind != ADVISOR) Control[side] += reach;
  }
}

int CEvaluator::StaticDefault(const CPosition& position, int redToMove, int inCheck) {
  BuildAttackRecords(position);
  const int us = redToMove ? RED : BLACK;
  int score = (Control[us] - Control[us ^ 1]) * 64 - (inCheck ? 640 : 0);
  int redSide = 0;
  int exchange = 0;
  for (int id = 1; id <= 32; ++id) {
    const CSquare at = position.PieceSquare[id];
    if (at.IsNone()) continue;
    const CAttackRecord& record = Attacks[id];
    redSide += kPieceSquareValue[id][at.Index()] +
               kMobilityBonus[id][std::min(record.Mobility, kMobilityEntries - 1)];
    if (record.AttackerCount > 0) {
      const bool own = (id > 16 ? BLACK : RED) == us;
      const int e = ExchangeEstimate(PieceKind[id], record.Attackers, record.AttackerCount,
                                     record.Defenders, record.DefenderCount, own ? 3 : 2,
                                     own ? 5 : 4);
      exchange += own ? e : -e;
    }
  }
  score += us == RED ? redSide : -redSide;
  return score + exchange;
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
  const int t = kExchangeValueScaled[targetKind];
  const int k = shiftK, j = shiftJ;
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
