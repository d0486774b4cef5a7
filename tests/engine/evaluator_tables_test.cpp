// The piece-value model's numbers, copied from the model's tables by hand
// (values x 32, black the negation of red on the square turned upside down),
// so a changed table entry fails here whatever the code computes.
#include <gtest/gtest.h>

#include "engine/evaluator.h"
#include "rules/pieces.h"

TEST(EvaluatorTables, BaseValuesOnSquaresWithoutPlacementValues) {
  // Advisors, elephants and kings have no placement values: base value only.
  EXPECT_EQ(CEvaluator::PieceSquareValue(7, SquareOf(12, 6)), 32 * 125);     // red advisor
  EXPECT_EQ(CEvaluator::PieceSquareValue(24, SquareOf(4, 7)), -32 * 125);    // black advisor
  EXPECT_EQ(CEvaluator::PieceSquareValue(9, SquareOf(12, 5)), 32 * 120);     // red elephant
  EXPECT_EQ(CEvaluator::PieceSquareValue(26, SquareOf(3, 9)), -32 * 120);    // black elephant
  EXPECT_EQ(CEvaluator::PieceSquareValue(16, SquareOf(12, 7)), 32 * 6000);   // red king
  EXPECT_EQ(CEvaluator::PieceSquareValue(32, SquareOf(4, 7)), -32 * 6000);   // black king
}

TEST(EvaluatorTables, PlacementValuesOfEveryKindThatHasThem) {
  struct Case {
    int Id, Row, Col, Value;  // Value: base + placement, from red's grid
  };
  const Case cases[] = {
      {1, 4, 7, 600 + 26},    {2, 12, 3, 600 - 2},  {1, 11, 4, 600 + 4},   // chariots
      {3, 4, 7, 285 - 14},    {4, 10, 5, 285 + 8},  {3, 8, 3, 285 - 2},    // cannons
      {5, 4, 5, 270 + 28},    {6, 12, 4, 270 - 4},  {5, 11, 7, 270 - 2},   // horses
      {11, 4, 7, 60 + 120},   {12, 9, 5, 60 - 2},   {13, 12, 7, 60 + 0},   // pawns
      {14, 3, 4, 60 + 3},     {15, 6, 6, 60 + 34},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CEvaluator::PieceSquareValue(c.Id, SquareOf(c.Row, c.Col)), 32 * c.Value)
        << "red " << c.Id << " at " << c.Row << "," << c.Col;
    // The black piece of the same kind on the square turned upside down.
    EXPECT_EQ(CEvaluator::PieceSquareValue(c.Id + 16, SquareOf(15 - c.Row, c.Col)), -32 * c.Value)
        << "black " << c.Id + 16;
  }
}

TEST(EvaluatorTables, MobilityBonusesAndExchangeValues) {
  // 32 x (m + 1) x mobility unit; entry 23 is 0.
  EXPECT_EQ(CEvaluator::MobilityBonus(1, 3), 32 * 4 * 6);     // chariot
  EXPECT_EQ(CEvaluator::MobilityBonus(20, 22), -32 * 23 * 6); // black cannon
  EXPECT_EQ(CEvaluator::MobilityBonus(5, 0), 32 * 1 * 12);    // horse
  EXPECT_EQ(CEvaluator::MobilityBonus(8, 1), 32 * 2 * 1);     // advisor
  EXPECT_EQ(CEvaluator::MobilityBonus(25, 2), -32 * 3 * 1);   // black elephant
  EXPECT_EQ(CEvaluator::MobilityBonus(11, 1), 32 * 2 * 15);   // pawn
  EXPECT_EQ(CEvaluator::MobilityBonus(16, 4), 0);             // king
  EXPECT_EQ(CEvaluator::MobilityBonus(1, 23), 0);
  const int exchange[8] = {0, 60, 120, 125, 270, 285, 600, 6000};
  for (int kind = 0; kind <= KING; ++kind) EXPECT_EQ(CEvaluator::ExchangeValue(kind), 32 * exchange[kind]) << kind;
}
