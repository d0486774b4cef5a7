#include "engine/principal_line.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/engine_position.h"
#include "rules/iccs.h"
#include "rules/notation.h"

namespace {

using CBoard = std::array<int32_t, 256>;

CBoard BoardOf(const CPosition& position) {
  CBoard board;
  std::memcpy(board.data(), position.Board, sizeof position.Board);
  return board;
}

}  // namespace

std::vector<CMove> PlayableLine(const CPosition& position, int redToMove, const std::vector<CMove>& moves) {
  CPosition walk(position);
  int side = redToMove ? 1 : 0;
  std::vector<CBoard> seen {BoardOf(walk)};
  std::vector<CMove> line;
  for (const CMove& given : moves) {
    if (given.From.IsNone() || given.To.IsNone()) break;
    CMove move = given;
    move.Piece = walk.Board[move.From.Index()];
    move.Captured = walk.Board[move.To.Index()];
    if (move.Piece != given.Piece || !IsLegalMove(walk, side, move)) break;
    walk.MakeMove(move);
    const CBoard now = BoardOf(walk);
    if (std::find(seen.begin(), seen.end(), now) != seen.end()) break;
    seen.push_back(now);
    line.push_back(move);
    side = !side;
  }
  return line;
}

std::string LineNotation(const CPosition& position, int redToMove, const std::vector<CMove>& moves) {
  (void)redToMove;  // the notation takes the side from the moving piece
  CPosition walk(position);
  std::string text;
  for (const CMove& move : moves) {
    const std::string one = FormatMove(walk, move);
    if (one.empty()) break;
    if (!text.empty()) text += ' ';
    text += one;
    walk.MakeMove(move);
  }
  return text;
}

std::string LineIccs(const std::vector<CMove>& moves) {
  std::string text;
  for (const CMove& move : moves) {
    if (!text.empty()) text += ' ';
    text += MoveToIccs(move);
  }
  return text;
}
