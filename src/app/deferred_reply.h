#pragma once
// Starting a game from a position makes the game object play the computer's
// first move at once, on the calling thread. The desktop program must never
// search on its interface thread, so it starts the game with that move held
// back and lets the view's worker play it.
#include <functional>

class CGame;

// Runs action (which may start a new game) with the computer's immediate
// move held back; returns what action returns.
int WithoutImmediateComputerMove(CGame& game, const std::function<int()>& action);

// 1 when the game is in progress and the computer is the side to move.
bool IsComputerToMove(const CGame& game);
