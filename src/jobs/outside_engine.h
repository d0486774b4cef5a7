#pragma once
// The outside xiangqi program that game training and record checking play
// against: another engine program, or a scripted double in the tests. Moves
// cross this interface in ICCS form ("h2e2"); the program keeps the game's
// move list, as a board program would.
#include <cstdint>
#include <functional>
#include <string>

// Which sides the outside program plays in a game.
enum class COutsideSides { Red, Black, Both };

// What came back when the program was asked for a move.
enum class COutsideAnswer {
  Move,      // a move text (not yet checked: it may not parse or be illegal)
  GameOver,  // the program has no move: the side to move has lost
  TimeOut,   // nothing within the wait
  Gone,      // the program ended or broke the protocol for good
  Stopped    // the caller's stop request ended the wait
};

// How long the program may think over its next move: a fixed time, or the
// two clocks of a timed game (time left and increment a side).
struct COutsideTime {
  int64_t MoveTimeMs = 0;
  bool Clock = false;
  bool RedToMove = true;
  int64_t RedMs = 0, BlackMs = 0, RedIncMs = 0, BlackIncMs = 0;
};

class COutsideEngine {
 public:
  virtual ~COutsideEngine() = default;

  // Starts the program and waits up to waitMs for it to answer. 1, or 0 with
  // Error() saying why (it does not start, or does not answer in time).
  virtual int Start(int waitMs) = 0;
  // The program's own name (for the game's tags), known after Start.
  virtual std::string Name() const = 0;
  virtual std::string Error() const = 0;

  // A new game from the FEN, red or black to move as the FEN says. 1/0.
  virtual int NewGame(const std::string& fen, COutsideSides sides) = 0;
  // A move of the other side joins the move list.
  virtual void HandOver(const std::string& iccs) = 0;
  // Asks for the move of the side to move and waits up to waitMs; stop, when
  // given, is asked now and then and ends the wait early. A move it answers
  // joins its move list at once (the caller drops the game when it cannot
  // be played).
  virtual COutsideAnswer Reply(int waitMs, std::string& iccs, const std::function<bool()>& stop) = 0;

  // The thinking time for the next requests (a program without clocks of
  // its own keeps its fixed time per move).
  virtual void SetTime(const COutsideTime&) {}

  // Ends the program (also done by the destructor of a real one).
  virtual void End() = 0;
};
