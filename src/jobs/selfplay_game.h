#pragma once
// One self-play game between the two engine configurations of a run, on a
// game object of the playing thread's own: the random start, then the
// engines in turn until the game's rules end it (mate, no legal move,
// repetition, the capture-free limit, a forced win the engine claims) or
// MaxPlies is reached, where material decides: MinDeltaPieceCount pieces
// more win, less is a draw.
#include <functional>
#include <string>

#include "jobs/selfplay_settings.h"

class CGame;
class COpeningBook;

struct CSelfPlayGame {
  std::string Result;       // "1-0", "0-1" or "1/2-1/2"
  std::string Termination;  // why it ended, as the record's Termination tag says
  int Plies = 0;
  bool AIsRed = true;
  bool Stopped = false;     // the stop came first: the game is unfinished
};

// The game object's options for self-play: no voice, no automatic replies,
// no engine book (the random start takes the book's part).
void PrepareSelfPlayGame(CGame& game);

// "A: Default depth 3", "A: TdbpAnn depth 20 100 ms" and the like, for the
// Red and Black tags: every limit the side played under (moveTime, in ms, is
// both sides').
std::string SelfPlaySideName(char label, const CSelfPlaySide& side, int32_t moveTime);

// Plays game `number` (A red when odd) on the game object; its tags name the
// sides, the round and the termination. stop is asked before every move.
CSelfPlayGame PlaySelfPlayGame(CGame& game, const CSelfPlaySettings& settings, int number,
                               const COpeningBook& book, const std::function<bool()>& stop);
