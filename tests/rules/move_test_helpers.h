#pragma once
// Small helpers shared by the move generation and rule tests.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "rules/move_generator.h"
#include "rules/move_tables.h"
#include "rules/position.h"

// A piece to place: identity, row, column.
struct Placed {
  int Id, Row, Col;
};

// A position holding exactly these pieces.
inline CPosition PositionWith(std::initializer_list<Placed> pieces) {
  std::array<int, 256> board {};
  for (const Placed& p : pieces) board[SquareOf(p.Row, p.Col)] = p.Id;
  CPosition position;
  EXPECT_EQ(position.SetFromBoard(board, 1), 1) << "placement refused";
  return position;
}

inline CPosition PositionFromFen(const char* fen, int& redToMove) {
  CPosition position;
  EXPECT_EQ(position.SetFromFen(fen, redToMove), 1) << fen;
  return position;
}

// A destination as the generators report it.
struct Dest {
  int Row, Col, Captured;
  friend bool operator==(const Dest&, const Dest&) = default;
};

inline void PrintTo(const Dest& d, std::ostream* os) { *os << "(" << d.Row << "," << d.Col << " x" << d.Captured << ")"; }

// The destinations one piece gets in a list, in list order.
inline std::vector<Dest> DestinationsOf(const CMoveList& list, int piece) {
  std::vector<Dest> out;
  for (int i = 0; i < list.Count; ++i)
    if (list.Moves[i].Piece == piece) out.push_back({list.Moves[i].To.Row, list.Moves[i].To.Col, list.Moves[i].Captured});
  return out;
}

inline bool ListHasMove(const CMoveList& list, const CMove& move) {
  for (int i = 0; i < list.Count; ++i)
    if (list.Moves[i] == move) return true;
  return false;
}

class RulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildMoveTables(); }
};
