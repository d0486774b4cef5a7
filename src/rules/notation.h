#pragma once
// The traditional Chinese move notation: four two-byte GB2312/GBK characters,
// always eight bytes, e.g. 砲二平五 (red) or 馬８进７ (black). Writing a move
// for a position, reading one back, the canonical spelling per side, and the
// spoken and digit-code forms.
#include <string>
#include <string_view>

#include "rules/move.h"
#include "rules/notation_maps.h"
#include "rules/notation_names.h"
#include "rules/position.h"

constexpr int NOTATION_BYTES = 8;
// Caller buffers: eight bytes and the terminating NUL.
constexpr int NOTATION_BUFFER_SIZE = NOTATION_BYTES + 1;

// Writes the notation of the move in the position before it. The side is the
// moving piece's own. 1 on success; 0 with an empty buffer when the piece is
// not on the board or a square is off the board.
int FormatMove(const CPosition& position, const CMove& move, char* buffer);
std::string FormatMove(const CPosition& position, const CMove& move);  // "" on failure

// Reads an eight-byte notation in any spelling NormaliseNotation accepts for
// the side to move. 1 when it names a move IsPseudoLegal accepts; otherwise 0
// (the move may be partly filled).
int ParseMove(const CPosition& position, int redToMove, std::string_view text, CMove& move);

// Rewrites the text in the side's canonical spelling: piece names as
// PieceName, numerals as that side's Numeral; a numeral naming a pawn's place
// in front of the piece name (二卒) stays a Chinese numeral for both sides,
// as FormatMove writes it. 0 (empty output) unless the text is eight bytes.
int NormaliseNotation(int side, std::string_view text, char* buffer);
std::string NormaliseNotation(int side, std::string_view text);  // "" on failure

// The SpokenForm / DigitCode of each of the four characters, concatenated.
// 0 unless the text is eight bytes, and 0 when the result is empty.
int ToSpokenText(std::string_view text, std::string& out);
int ToDigitCode(std::string_view text, std::string& out);
