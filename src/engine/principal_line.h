#pragma once
// A line of moves from a position, as the search reports it: the part of it
// that can really be played, and its text for people (Chinese notation) and
// for programs (ICCS).
#include <string>
#include <vector>

#include "rules/move.h"
#include "rules/position.h"

// The moves of the line that are legal one after the other from the
// position, stopped before the first that is not, or that brings back a
// position already seen on the line. Pieces and captures are taken from the
// board, so a line read from the tables of another position cannot slip in.
std::vector<CMove> PlayableLine(const CPosition& position, int redToMove, const std::vector<CMove>& moves);

// The line in Chinese notation (GB2312), moves separated by one space;
// the text ends at the first move that cannot be written.
std::string LineNotation(const CPosition& position, int redToMove, const std::vector<CMove>& moves);

// The line as ICCS moves separated by one space.
std::string LineIccs(const std::vector<CMove>& moves);
