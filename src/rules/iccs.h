#pragma once
// ICCS coordinate moves, as other xiangqi programs speak them: files a..i from
// red's left, ranks 0..9 from red's side, e.g. "h2e2" (red's cannon to the centre).
#include <string>
#include <string_view>

#include "rules/move.h"
#include "rules/position.h"

// "h2" -> (10, 10); (0, 0) for anything else.
CSquare SquareFromIccs(std::string_view text);
std::string SquareToIccs(const CSquare& square);
std::string MoveToIccs(const CMove& move);
// Fills piece, captured, from and to from the position. 1 when the text is a
// well-formed ICCS move whose from square holds a piece; legality is not checked.
int MoveFromIccs(const CPosition& position, std::string_view text, CMove& move);
