#include "rules/move_tables.h"

#include <mutex>

#include "rules/pieces.h"

uint8_t RowLineIndex[16];
uint8_t ColLineIndex[16];
uint16_t PatternIndex[8192];

uint8_t ChariotCaptureLine[10][1024][2];
uint8_t CannonCaptureLine[10][1024][2];
uint8_t ChariotQuietColumn[10][1024][9];
uint8_t CannonQuietColumn[10][1024][9];
uint8_t ChariotQuietRow[9][512][8];
uint8_t CannonQuietRow[9][512][8];

uint8_t PawnMoves[2][256][3];
uint8_t ElephantMoves[256][16][4];
uint8_t AdvisorMoves[256][4];
uint8_t HorseMoves[256][16][8];
uint8_t KingMoves[256][4];
uint32_t KingBetweenMask[256];

namespace {

constexpr int kColumnPlaces = 10;  // rows 3..12 along a column
constexpr int kRowPlaces = 9;      // columns 3..11 along a row

uint8_t Coordinate(int place) { return static_cast<uint8_t>(place + 3); }
uint8_t SquareByte(int row, int col) { return static_cast<uint8_t>(SquareOf(row, col)); }
bool PlaceSet(int pattern, int place) { return ((pattern >> place) & 1) != 0; }

// Appends to a zero-terminated list of fixed capacity.
template <int N>
void Append(uint8_t (&list)[N], uint8_t value) {
  for (auto& entry : list) {
    if (entry == 0) {
      entry = value;
      return;
    }
  }
}

void FillLineIndex() {
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) RowLineIndex[row] = static_cast<uint8_t>(row - ROW_TOP);
  for (int col = COL_LEFT; col <= COL_RIGHT; ++col) ColLineIndex[col] = static_cast<uint8_t>(col - COL_LEFT);
}

void FillPatternIndex() {
  for (int mask = 0; mask < 8192; ++mask) PatternIndex[mask] = static_cast<uint16_t>((mask >> 3) & 1023);
}

void FillKingBetweenMask() {
  for (int black = 3; black <= 5; ++black) {
    for (int red = 10; red <= 12; ++red) {
      uint32_t between = 0;
      for (int row = black + 1; row < red; ++row) between |= 1u << row;
      KingBetweenMask[black * 16 + red] = between;
      KingBetweenMask[red * 16 + black] = between;
    }
  }
}

// The nth occupied place met in each direction from a place: lower places
// first, then higher ones; a missing lower one leaves its slot to the higher.
void FillCaptureLine(uint8_t (&table)[10][1024][2], int nth) {
  for (int place = 0; place < kColumnPlaces; ++place) {
    for (int pattern = 0; pattern < 1024; ++pattern) {
      auto& entry = table[place][pattern];
      int met = 0;
      for (int q = place - 1; q >= 0; --q) {
        if (PlaceSet(pattern, q) && ++met == nth) {
          Append(entry, Coordinate(q));
          break;
        }
      }
      met = 0;
      for (int q = place + 1; q < kColumnPlaces; ++q) {
        if (PlaceSet(pattern, q) && ++met == nth) {
          Append(entry, Coordinate(q));
          break;
        }
      }
    }
  }
}

// Every empty place before the first occupied one, lower places first.
template <int Places, int Patterns, int Entries>
void FillQuietLine(uint8_t (&table)[Places][Patterns][Entries]) {
  for (int place = 0; place < Places; ++place) {
    for (int pattern = 0; pattern < Patterns; ++pattern) {
      auto& entry = table[place][pattern];
      for (int q = place - 1; q >= 0 && !PlaceSet(pattern, q); --q) Append(entry, Coordinate(q));
      for (int q = place + 1; q < Places && !PlaceSet(pattern, q); ++q) Append(entry, Coordinate(q));
    }
  }
}

void FillHorseMoves() {
  // Destination offsets with the leg bit that blocks them, in list order.
  constexpr int kSteps[8][3] = {{-2, -1, 1}, {-2, 1, 1}, {2, -1, 2}, {2, 1, 2},
                                {-1, -2, 4}, {1, -2, 4}, {-1, 2, 8}, {1, 2, 8}};
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
    for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
      for (int legs = 0; legs < 16; ++legs) {
        auto& list = HorseMoves[SquareOf(row, col)][legs];
        for (const auto& step : kSteps) {
          const int r = row + step[0], c = col + step[1];
          if ((legs & step[2]) == 0 && IsPlayable(r, c)) Append(list, SquareByte(r, c));
        }
      }
    }
  }
}

void FillKingAndAdvisorMoves() {
  constexpr int kOrthogonal[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};  // up, down, left, right
  constexpr int kDiagonal[4][2] = {{-1, 1}, {-1, -1}, {1, -1}, {1, 1}};  // up-right, up-left, down-left, down-right
  for (int side = RED; side <= BLACK; ++side) {
    for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
      for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
        if (!detail::InPalace(side, row, col)) continue;
        const int sq = SquareOf(row, col);
        for (const auto& step : kOrthogonal) {
          const int r = row + step[0], c = col + step[1];
          if (detail::InPalace(side, r, c)) Append(KingMoves[sq], SquareByte(r, c));
        }
        if (!detail::IsAdvisorPoint(side, row, col)) continue;
        for (const auto& step : kDiagonal) {
          const int r = row + step[0], c = col + step[1];
          if (detail::IsAdvisorPoint(side, r, c)) Append(AdvisorMoves[sq], SquareByte(r, c));
        }
      }
    }
  }
}

void FillElephantMoves() {
  // Two diagonal steps with the eye bit that blocks each, in list order.
  constexpr int kSteps[4][3] = {{-2, 2, 1}, {-2, -2, 2}, {2, -2, 4}, {2, 2, 8}};
  for (int side = RED; side <= BLACK; ++side) {
    for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
      for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
        if (!detail::IsElephantPoint(side, row, col)) continue;
        for (int eyes = 0; eyes < 16; ++eyes) {
          auto& list = ElephantMoves[SquareOf(row, col)][eyes];
          for (const auto& step : kSteps) {
            const int r = row + step[0], c = col + step[1];
            if ((eyes & step[2]) == 0 && detail::IsElephantPoint(side, r, c)) Append(list, SquareByte(r, c));
          }
        }
      }
    }
  }
}

void FillPawnMoves() {
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
    for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
      const int sq = SquareOf(row, col);
      const bool pawnColumn = col % 2 == 1;
      // Red moves up (towards row 3) and has crossed the river on rows 3..7.
      if (row >= 8 && row <= 9 && pawnColumn) {
        Append(PawnMoves[RED][sq], SquareByte(row - 1, col));
      } else if (row <= 7) {
        if (row > ROW_TOP) Append(PawnMoves[RED][sq], SquareByte(row - 1, col));
        if (col > COL_LEFT) Append(PawnMoves[RED][sq], SquareByte(row, col - 1));
        if (col < COL_RIGHT) Append(PawnMoves[RED][sq], SquareByte(row, col + 1));
      }
      // Black moves down and has crossed on rows 8..12.
      if (row >= 6 && row <= 7 && pawnColumn) {
        Append(PawnMoves[BLACK][sq], SquareByte(row + 1, col));
      } else if (row >= 8) {
        if (row < ROW_BOTTOM) Append(PawnMoves[BLACK][sq], SquareByte(row + 1, col));
        if (col > COL_LEFT) Append(PawnMoves[BLACK][sq], SquareByte(row, col - 1));
        if (col < COL_RIGHT) Append(PawnMoves[BLACK][sq], SquareByte(row, col + 1));
      }
    }
  }
}

void FillAllTables() {
  FillLineIndex();
  FillPatternIndex();
  FillKingBetweenMask();
  FillCaptureLine(ChariotCaptureLine, 1);
  FillCaptureLine(CannonCaptureLine, 2);
  FillQuietLine(ChariotQuietColumn);
  FillQuietLine(ChariotQuietRow);
  FillQuietLine(CannonQuietColumn);
  FillQuietLine(CannonQuietRow);
  FillHorseMoves();
  FillKingAndAdvisorMoves();
  FillElephantMoves();
  FillPawnMoves();
}

}  // namespace

void BuildMoveTables() {
  static std::once_flag built;
  std::call_once(built, FillAllTables);
}
