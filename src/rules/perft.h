#pragma once
// Perft: the number of leaf nodes of the legal-move tree to a fixed depth.
// A legal move is a pseudo-legal move after which the mover's king is not
// attacked (a king left facing the other king counts as attacked).
#include <cstdint>

#include "rules/move_generator.h"
#include "rules/position.h"

// Leaf nodes at the given depth (depth 0: 1). Builds the move tables when
// needed; the position is restored before returning.
uint64_t Perft(CPosition& position, int redToMove, int depth);

// The side to move's legal moves, in generation order.
void GenerateLegalMoves(CPosition& position, int redToMove, CMoveList& list);
