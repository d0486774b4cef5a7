#include "rules/notation.h"

#include <gtest/gtest.h>

#include "common/text_encoding.h"
#include "rules/move_tables.h"

namespace {

// Test texts are written in UTF-8 and converted to the GB bytes the rules use.
std::string Gb(const char* utf8) { return Utf8ToGb18030(utf8); }

class Notation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildMoveTables();
    BuildNotationMaps();
  }

  static CPosition FromFen(const char* fen, int& redToMove) {
    CPosition position;
    EXPECT_EQ(position.SetFromFen(fen, redToMove), 1) << fen;
    return position;
  }

  static CMove Move(const CPosition& position, CSquare from, CSquare to) {
    return CMove {position.Board[from.Index()], position.Board[to.Index()], from, to};
  }

  // Formats the move, then checks that reading the text back gives the same move.
  static std::string FormatAndReread(const CPosition& position, CSquare from, CSquare to) {
    const CMove move = Move(position, from, to);
    const std::string text = FormatMove(position, move);
    CMove back;
    EXPECT_EQ(ParseMove(position, PieceSide[move.Piece] == RED ? 1 : 0, text, back), 1)
        << Gb2312ToUtf8(text);
    EXPECT_EQ(back, move) << Gb2312ToUtf8(text);
    return text;
  }
};

TEST_F(Notation, NamesNumeralsAndNumbering) {
  // The escaped GB bytes against the characters they stand for.
  const char* names[8][2] = {{"  ", "  "}, {"兵", "卒"}, {"相", "象"}, {"仕", "士"},
                             {"馬", "馬"}, {"砲", "炮"}, {"車", "車"}, {"帅", "将"}};
  const char* numerals[2] = {"一二三四五六七八九", "１２３４５６７８９"};
  for (int side = RED; side <= BLACK; ++side) {
    for (int kind = 0; kind <= KING; ++kind) EXPECT_EQ(PieceName[kind][side], Gb(names[kind][side]));
    std::string all;
    for (int n = 1; n <= 9; ++n) all += Numeral[n][side];
    EXPECT_EQ(all, Gb(numerals[side]));
    EXPECT_EQ(std::string(Numeral[10][side]), "  ");
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(FileNumber(FileColumn(n, side), side), n);
    for (int n = 1; n <= 10; ++n) EXPECT_EQ(RankNumber(RankRow(n, side), side), n);
  }
  EXPECT_EQ(FileColumn(1, RED), 11);
  EXPECT_EQ(FileColumn(1, BLACK), 3);
  EXPECT_EQ(RankRow(1, RED), 12);
  EXPECT_EQ(RankRow(1, BLACK), 3);
  EXPECT_EQ(FileColumn(10, RED), 0);
  const CNotationMaps& maps = NotationMaps();
  EXPECT_EQ(MapNumber(maps.LetterKind, "h"), HORSE);
  EXPECT_EQ(MapNumber(maps.LetterSide, "E"), RED);
  EXPECT_EQ(MapNumber(maps.LetterSide, "/"), NO_SIDE);
  EXPECT_EQ(MapNumber(maps.NameKind, Gb("车")), CHARIOT);
  EXPECT_EQ(MapNumber(maps.NameNumber, Gb("７")), 7);
  EXPECT_EQ(MapNumber(maps.NameNumber, "zz"), 0);
}

TEST_F(Notation, StartPositionMoves) {
  const CPosition start;
  EXPECT_EQ(FormatAndReread(start, {10, 10}, {10, 7}), Gb("砲二平五"));
  EXPECT_EQ(FormatAndReread(start, {5, 10}, {5, 7}), Gb("炮８平５"));
  EXPECT_EQ(FormatAndReread(start, {12, 10}, {10, 9}), Gb("馬二进三"));
  EXPECT_EQ(FormatAndReread(start, {12, 11}, {11, 11}), Gb("車一进一"));
  EXPECT_EQ(FormatAndReread(start, {3, 10}, {5, 9}), Gb("馬８进７"));
  EXPECT_EQ(FormatAndReread(start, {12, 9}, {10, 7}), Gb("相三进五"));
  EXPECT_EQ(FormatAndReread(start, {3, 6}, {4, 7}), Gb("士４进５"));
  EXPECT_EQ(FormatAndReread(start, {12, 7}, {11, 7}), Gb("帅五进一"));
  EXPECT_EQ(FormatAndReread(start, {9, 5}, {8, 5}), Gb("兵七进一"));
  EXPECT_EQ(FormatAndReread(start, {10, 4}, {3, 4}), Gb("砲八进七"));  // captures the horse
}

TEST_F(Notation, PairsOnOneFileAreFrontAndRear) {
  int red;
  const CPosition chariots = FromFen("3k5/9/9/9/9/9/R8/9/R8/4K4 w", red);
  EXPECT_EQ(FormatAndReread(chariots, {9, 3}, {8, 3}), Gb("前車进一"));
  EXPECT_EQ(FormatAndReread(chariots, {11, 3}, {12, 3}), Gb("后車退一"));
  EXPECT_EQ(FormatAndReread(chariots, {11, 3}, {11, 5}), Gb("后車平七"));
  CMove move;
  EXPECT_EQ(ParseMove(chariots, 1, Gb("車九进一"), move), 0);  // needs 前/后

  const CPosition horses = FromFen("3k5/9/4n4/9/4n4/9/9/9/9/4K4 b", red);
  EXPECT_EQ(FormatAndReread(horses, {7, 7}, {9, 8}), Gb("前馬进６"));
  EXPECT_EQ(FormatAndReread(horses, {5, 7}, {4, 9}), Gb("后馬退７"));
}

TEST_F(Notation, PawnsOnOneFile) {
  int red;
  const CPosition three = FromFen("3k5/9/4P4/4P4/4P4/9/9/9/9/4K4 w", red);
  EXPECT_EQ(FormatAndReread(three, {5, 7}, {4, 7}), Gb("前兵进一"));
  EXPECT_EQ(FormatAndReread(three, {6, 7}, {6, 6}), Gb("中兵平六"));
  EXPECT_EQ(FormatAndReread(three, {7, 7}, {7, 8}), Gb("后兵平四"));

  const CPosition two = FromFen("3k5/9/9/9/9/4p4/4p4/9/9/4K4 b", red);
  EXPECT_EQ(FormatAndReread(two, {9, 7}, {10, 7}), Gb("前卒进１"));
  EXPECT_EQ(FormatAndReread(two, {8, 7}, {8, 6}), Gb("后卒平４"));

  // Two files with two pawns each: numbered together, lower file first.
  const CPosition four = FromFen("3k5/9/2P3P2/2P3P2/9/9/9/9/9/4K4 w", red);
  EXPECT_EQ(FormatAndReread(four, {5, 9}, {4, 9}), Gb("一兵进一"));
  EXPECT_EQ(FormatAndReread(four, {6, 9}, {6, 10}), Gb("二兵平二"));
  EXPECT_EQ(FormatAndReread(four, {5, 5}, {5, 4}), Gb("三兵平八"));
  EXPECT_EQ(FormatAndReread(four, {6, 5}, {6, 6}), Gb("四兵平六"));

  // Four on one file: numbered from the front.
  const CPosition column = FromFen("3k5/9/4P4/4P4/4P4/4P4/9/9/9/4K4 w", red);
  EXPECT_EQ(FormatAndReread(column, {6, 7}, {6, 8}), Gb("二兵平四"));
  EXPECT_EQ(FormatAndReread(column, {7, 7}, {7, 6}), Gb("三兵平六"));

  // Black's numbered pawns use Chinese numerals too, and read back in either spelling.
  const CPosition black = FromFen("3k5/9/9/9/9/p3p4/p3p4/9/9/4K4 b", red);
  EXPECT_EQ(FormatAndReread(black, {9, 3}, {10, 3}), Gb("一卒进１"));
  EXPECT_EQ(FormatAndReread(black, {8, 7}, {8, 8}), Gb("四卒平６"));
  CMove move;
  EXPECT_EQ(ParseMove(black, 0, Gb("１卒进１"), move), 1);
  EXPECT_EQ(move.From, (CSquare {9, 3}));
}

TEST_F(Notation, ParseAcceptsEverySpelling) {
  const CPosition start;
  const CMove expected {1, 0, {12, 11}, {11, 11}};
  for (const char* text : {"车一进一", "車一进一", "車１进１", "车１进一"}) {
    CMove move;
    EXPECT_EQ(ParseMove(start, 1, Gb(text), move), 1) << text;
    EXPECT_EQ(move, expected) << text;
  }
  for (const char* text : {"砲８平５", "炮８平５", "炮八平五"}) {
    CMove move;
    EXPECT_EQ(ParseMove(start, 0, Gb(text), move), 1) << text;
    EXPECT_EQ(move, (CMove {20, 0, {5, 10}, {5, 7}})) << text;
  }
  CMove move;
  ASSERT_EQ(ParseMove(start, 1, Gb("炮８平５"), move), 1) << "read with red's numbering";
  EXPECT_EQ(move, (CMove {4, 0, {10, 4}, {10, 7}}));
  EXPECT_EQ(ParseMove(start, 1, Gb("車一进三"), move), 0) << "onto its own pawn";
  EXPECT_EQ(ParseMove(start, 1, Gb("車一进四"), move), 0) << "over its own pawn";
  EXPECT_EQ(ParseMove(start, 1, Gb("馬二进四"), move), 0);
  EXPECT_EQ(ParseMove(start, 1, Gb("兵七左一"), move), 0);
  EXPECT_EQ(ParseMove(start, 1, Gb("車一进一") + " ", move), 0);
  EXPECT_EQ(ParseMove(start, 1, Gb("車一进一").substr(0, 7), move), 0);
}

TEST_F(Notation, TwoElephantsOnOneFileTakeWhicheverCanMove) {
  int red;
  const CPosition position = FromFen("3k5/9/9/9/9/6B2/9/9/9/4K1B2 w", red);
  CMove move;
  ASSERT_EQ(ParseMove(position, 1, Gb("相三进五"), move), 1);
  EXPECT_EQ(move.From, (CSquare {12, 9}));
  EXPECT_EQ(move.To, (CSquare {10, 7}));
  ASSERT_EQ(ParseMove(position, 1, Gb("相三退五"), move), 1);
  EXPECT_EQ(move.From, (CSquare {8, 9}));
  EXPECT_EQ(move.To, (CSquare {10, 7}));
}

TEST_F(Notation, FormatFailsWithoutThePiece) {
  const CPosition start;
  char buffer[NOTATION_BUFFER_SIZE] = "xxxxxxxx";
  EXPECT_EQ(FormatMove(start, CMove {}, buffer), 0);
  EXPECT_STREQ(buffer, "");
  CPosition empty;
  empty.Clear();
  EXPECT_EQ(FormatMove(empty, CMove {1, 0, {12, 11}, {11, 11}}, buffer), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(Notation, CanonicalSpelling) {
  EXPECT_EQ(NormaliseNotation(RED, Gb("车二进一")), Gb("車二进一"));
  EXPECT_EQ(NormaliseNotation(RED, Gb("马８进７")), Gb("馬八进七"));
  EXPECT_EQ(NormaliseNotation(RED, Gb("炮二平五")), Gb("砲二平五"));
  EXPECT_EQ(NormaliseNotation(BLACK, Gb("砲８平５")), Gb("炮８平５"));
  EXPECT_EQ(NormaliseNotation(RED, Gb("象三进五")), Gb("相三进五"));
  EXPECT_EQ(NormaliseNotation(RED, Gb("将五平四")), Gb("帅五平四"));
  EXPECT_EQ(NormaliseNotation(BLACK, Gb("前卒平三")), Gb("前卒平３"));
  EXPECT_EQ(NormaliseNotation(BLACK, Gb("２卒平三")), Gb("二卒平３"));
  char buffer[NOTATION_BUFFER_SIZE] = "x";
  EXPECT_EQ(NormaliseNotation(RED, Gb("車二进一").substr(0, 7), buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(NormaliseNotation(RED, Gb("車二进一") + "1", buffer), 0);
}

TEST_F(Notation, SpokenTextAndDigitCode) {
  std::string out;
  ASSERT_EQ(ToSpokenText(Gb("車一进一"), out), 1);
  EXPECT_EQ(out, Gb("驹一进一"));
  ASSERT_EQ(ToSpokenText(Gb("馬８进７"), out), 1);
  EXPECT_EQ(out, Gb("马八进七"));
  ASSERT_EQ(ToSpokenText(Gb("前砲退２"), out), 1);
  EXPECT_EQ(out, Gb("前炮退二"));
  ASSERT_EQ(ToDigitCode(Gb("前炮进一"), out), 1);
  EXPECT_EQ(out, "+6+1");
  ASSERT_EQ(ToDigitCode(Gb("炮二平五"), out), 1);
  EXPECT_EQ(out, "62.5");
  ASSERT_EQ(ToDigitCode(Gb("中兵退３"), out), 1);
  EXPECT_EQ(out, ".7-3");
  EXPECT_EQ(ToDigitCode("abcdefgh", out), 0);  // nothing known: empty result
  for (const std::string& bad : {Gb("車一进一").substr(0, 7), Gb("車一进一") + "x", std::string()}) {
    EXPECT_EQ(ToSpokenText(bad, out), 0);
    EXPECT_EQ(ToDigitCode(bad, out), 0);
    CMove move;
    EXPECT_EQ(ParseMove(CPosition(), 1, bad, move), 0);
  }
}

}  // namespace
