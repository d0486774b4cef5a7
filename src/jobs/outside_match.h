#pragma once
// One game of a match between this program's engine, playing through the
// game object as the computer does in a game, and the outside program. The
// game object's rules end the game; an outside program that has no move,
// does not answer in time or plays an illegal move loses it.
#include <functional>
#include <string>

#include <cstdint>

class CGame;
class COutsideEngine;

// Where a match game starts: the usual start position, or the position a
// few random opening plies led to (both engines are given it as a FEN).
struct CMatchStart {
  const int32_t* Board = nullptr;  // nullptr: the start position
  int RedToMove = 1;
};

struct CMatchGame {
  bool WeAreRed = true;
  std::string Result;  // "1-0", "0-1" or "1/2-1/2" when finished
  int MoveCount = 0;
  std::string Note;    // how it ended, when not by the search or the rules
  bool Stopped = false;
};

// 1 when the game was played to its end or stopped (game.Stopped); 0 when
// it cannot be started or the outside program goes away (error).
int PlayMatchGame(CGame& game, COutsideEngine& outside, int replyWaitMs, const std::function<bool()>& stop,
                  CMatchGame& played, std::string& error, const CMatchStart& start = {});

// Score of the game for us: 1, 0.5 or 0.
double MatchScore(const CMatchGame& played);
