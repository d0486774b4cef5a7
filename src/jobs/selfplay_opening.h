#pragma once
// The varied start of a self-play game: its first plies are drawn at random,
// a move of the opening book where the book knows the position, else any
// legal move. Each game draws from a generator of its own seeded by the
// run's seed and the game's number, so a game is the same whichever thread
// plays it and whatever ran before it.
#include <cstdint>

class CGame;
class COpeningBook;
class CTransTable;
struct CMove;

// A small generator (splitmix64) owned by one game.
class CSelfPlayRandom {
 public:
  CSelfPlayRandom(int64_t seed, int gameNumber);
  uint64_t Next();
  // Uniform in 0..count-1 (count >= 1).
  int Below(int count);

 private:
  uint64_t State;
};

// The move the random start plays in the game's position for the side to
// move: a book candidate chosen in proportion to its weight (candidates that
// are not legal here are passed over), otherwise a uniformly chosen legal
// move. False when the side to move has no legal move.
bool PickOpeningMove(CGame& game, const COpeningBook& book, const CTransTable& keys, CSelfPlayRandom& random,
                     CMove& move);

// Plays up to `plies` random moves from the game's position; stops early
// when a move ends the game. The number of plies played.
int PlayRandomOpening(CGame& game, const COpeningBook& book, const CTransTable& keys, int plies,
                      CSelfPlayRandom& random);
