#include "rules/iccs.h"

CSquare SquareFromIccs(std::string_view text) {
  if (text.size() != 2) return {};
  const char file = text[0], rank = text[1];
  if (file < 'a' || file > 'i' || rank < '0' || rank > '9') return {};
  return CSquare {12 - (rank - '0'), 3 + (file - 'a')};
}

std::string SquareToIccs(const CSquare& square) {
  if (!IsPlayable(square.Row, square.Col)) return "--";
  return {static_cast<char>('a' + square.Col - 3), static_cast<char>('0' + 12 - square.Row)};
}

std::string MoveToIccs(const CMove& move) { return SquareToIccs(move.From) + SquareToIccs(move.To); }

int MoveFromIccs(const CPosition& position, std::string_view text, CMove& move) {
  move = CMove {};
  if (text.size() != 4) return 0;
  const CSquare from = SquareFromIccs(text.substr(0, 2));
  const CSquare to = SquareFromIccs(text.substr(2, 2));
  if (from.IsNone() || to.IsNone()) return 0;
  const int piece = position.Board[from.Index()];
  if (piece == 0) return 0;
  move = CMove {piece, position.Board[to.Index()], from, to};
  return 1;
}
