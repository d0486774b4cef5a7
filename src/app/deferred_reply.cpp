#include "app/deferred_reply.h"

#include "game/game.h"

int WithoutImmediateComputerMove(CGame& game, const std::function<int()>& action) {
  // The game object only moves by itself when no person plays the side to
  // move; for the length of the call both sides count as people. Nothing
  // else reads the flag meanwhile: no worker runs while the view is idle.
  const int humanVsHuman = game.HumanVsHuman;
  game.HumanVsHuman = 1;
  const int result = action();
  game.HumanVsHuman = humanVsHuman;
  return result;
}

bool IsComputerToMove(const CGame& game) {
  return game.HumanVsHuman == 0 && game.HumanPlaysRed != game.RedToMove && game.Result == "*";
}
