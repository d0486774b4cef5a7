#pragma once
// Sets up the engine's position and game record for the command-line and
// protocol front ends: a FEN or the start position, then ICCS moves entered
// into the record so the root repetition rules see them.
#include <string>
#include <string_view>

#include "engine/search_engine.h"

// Loads the FEN (empty: the start position, red to move) and clears the
// record. 1, or 0 with a message (position and side unchanged).
int LoadEnginePosition(CSearchEngine& engine, std::string_view fen, int& redToMove, std::string& error);

// 1 when the move obeys the movement rules and leaves the mover's king safe.
int IsLegalMove(CPosition& position, int redToMove, const CMove& move);

// Plays one ICCS move for the side to move: it must be legal and the record
// must have room. Fills the record entry (move, notation, depth -1) and flips
// the side. 1, or 0 with a message.
int PlayEngineMove(CSearchEngine& engine, int& redToMove, std::string_view iccs, std::string& error);

// The first legal move of the side to move in generation order; 0 when it has none.
int FirstLegalMove(CSearchEngine& engine, int redToMove, CMove& move);

// Null-move permission for a search: the engine allows it and each side
// still has at least minPieces pieces.
int NullMoveAllowed(const CSearchEngine& engine, int minPieces);
