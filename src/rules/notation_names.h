#pragma once
// The fixed words of the Chinese move notation and the side-relative file and
// rank numbering. Game text is GB2312/GBK bytes: every character below is one
// two-byte character, written as escapes with the character in the comment.
#include "rules/pieces.h"

inline constexpr char GB_RED_PAWN[] = "\xB1\xF8";          // 兵
inline constexpr char GB_BLACK_PAWN[] = "\xD7\xE4";        // 卒
inline constexpr char GB_RED_ELEPHANT[] = "\xCF\xE0";      // 相
inline constexpr char GB_BLACK_ELEPHANT[] = "\xCF\xF3";    // 象
inline constexpr char GB_RED_ADVISOR[] = "\xCA\xCB";       // 仕
inline constexpr char GB_BLACK_ADVISOR[] = "\xCA\xBF";     // 士
inline constexpr char GB_HORSE[] = "\xF1\x52";             // 馬
inline constexpr char GB_HORSE_SIMPLE[] = "\xC2\xED";      // 马
inline constexpr char GB_RED_CANNON[] = "\xB3\x68";        // 砲
inline constexpr char GB_BLACK_CANNON[] = "\xC5\xDA";      // 炮
inline constexpr char GB_CHARIOT[] = "\xDC\x87";           // 車
inline constexpr char GB_CHARIOT_SIMPLE[] = "\xB3\xB5";    // 车
inline constexpr char GB_RED_KING[] = "\xCB\xA7";          // 帅
inline constexpr char GB_BLACK_KING[] = "\xBD\xAB";        // 将
inline constexpr char GB_FORWARD[] = "\xBD\xF8";           // 进
inline constexpr char GB_BACKWARD[] = "\xCD\xCB";          // 退
inline constexpr char GB_SIDEWAYS[] = "\xC6\xBD";          // 平
inline constexpr char GB_FRONT[] = "\xC7\xB0";             // 前
inline constexpr char GB_MIDDLE[] = "\xD6\xD0";            // 中
inline constexpr char GB_REAR[] = "\xBA\xF3";              // 后
inline constexpr char GB_SPOKEN_CHARIOT[] = "\xBE\xD4";    // 驹
inline constexpr char GB_TWO_BLANKS[] = "  ";

// PieceName[kind][side].
inline constexpr const char* PieceName[8][2] = {
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {GB_RED_PAWN, GB_BLACK_PAWN},
    {GB_RED_ELEPHANT, GB_BLACK_ELEPHANT},
    {GB_RED_ADVISOR, GB_BLACK_ADVISOR},
    {GB_HORSE, GB_HORSE},
    {GB_RED_CANNON, GB_BLACK_CANNON},
    {GB_CHARIOT, GB_CHARIOT},
    {GB_RED_KING, GB_BLACK_KING}};

// Numeral[number][side]: Chinese numerals for red, full-width digits for
// black; 0 and 10..15 are two blanks.
inline constexpr const char* Numeral[16][2] = {
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {"\xD2\xBB", "\xA3\xB1"},  // 一 １
    {"\xB6\xFE", "\xA3\xB2"},  // 二 ２
    {"\xC8\xFD", "\xA3\xB3"},  // 三 ３
    {"\xCB\xC4", "\xA3\xB4"},  // 四 ４
    {"\xCE\xE5", "\xA3\xB5"},  // 五 ５
    {"\xC1\xF9", "\xA3\xB6"},  // 六 ６
    {"\xC6\xDF", "\xA3\xB7"},  // 七 ７
    {"\xB0\xCB", "\xA3\xB8"},  // 八 ８
    {"\xBE\xC5", "\xA3\xB9"},  // 九 ９
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {GB_TWO_BLANKS, GB_TWO_BLANKS},
    {GB_TWO_BLANKS, GB_TWO_BLANKS}};

// Each side counts files from its own right and ranks from its own back rank.
// Red file 1 is column 11, black file 1 column 3; red rank 1 is row 12,
// black rank 1 row 3. Out-of-range arguments give 0.
constexpr int FileNumber(int col, int side) {
  if (col < COL_LEFT || col > COL_RIGHT) return 0;
  return side == RED ? 12 - col : col - 2;
}
constexpr int FileColumn(int file, int side) {
  if (file < 1 || file > 9) return 0;
  return side == RED ? 12 - file : file + 2;
}
constexpr int RankNumber(int row, int side) {
  if (row < ROW_TOP || row > ROW_BOTTOM) return 0;
  return side == RED ? 13 - row : row - 2;
}
constexpr int RankRow(int rank, int side) {
  if (rank < 1 || rank > 10) return 0;
  return side == RED ? 13 - rank : rank + 2;
}
