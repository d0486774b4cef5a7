#pragma once
// An outside engine seated at the board for one side of the game a person
// plays: at that side's turn it is asked for its move, which is checked and
// played through the game. The program is started at its first turn of a
// game and kept for the rest of it; End() stops it (new game, exit). A move
// that cannot be played, no move, or no answer in time loses the game for
// the engine's side, with that reason.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/game_end.h"
#include "jobs/outside_engine.h"
#include "jobs/ucci_engine_process.h"

class CGame;

// Which side the outside engine plays at the board.
enum class COutsideSeat { None, Red, Black };

struct COutsidePlayerSettings {
  COutsideSeat Seat = COutsideSeat::None;
  COutsideEngineSettings Engine;
};

// Seats the outside engine: the person plays the other side against it
// (no seat leaves the game's players as they are).
void SeatOutsideEngine(CGame& game, COutsideSeat seat);

// Engine options as a person writes them on one line, "name=value" pairs
// apart by ';' ("UCI_LimitStrength=true; UCI_Elo=1500"). False with the
// pair that has no name or no '=' in bad.
bool ParseEngineOptions(const std::string& text, std::vector<std::pair<std::string, std::string>>& options,
                        std::string& bad);
std::string EngineOptionsText(const std::vector<std::pair<std::string, std::string>>& options);

enum class COutsideTurn {
  Played,  // its move was played (the game may have ended by it)
  Ended,   // the game ended against the engine's side (the game tells why)
  Stopped  // the caller's stop request ended the wait; the game is as it was
};

class COutsidePlayer {
 public:
  using CFactory = std::function<std::unique_ptr<COutsideEngine>(const COutsideEngineSettings&)>;

  // factory makes the program (nullptr: a UCCI/UCI child process).
  explicit COutsidePlayer(CFactory factory = nullptr);
  ~COutsidePlayer();
  COutsidePlayer(const COutsidePlayer&) = delete;
  COutsidePlayer& operator=(const COutsidePlayer&) = delete;

  // New settings; a running program is ended when its command or options change.
  void SetSettings(const COutsidePlayerSettings& settings);
  const COutsidePlayerSettings& Settings() const { return Current; }

  // Whether the engine plays the side to move of a game still going on.
  bool PlaysSideToMove(const CGame& game) const;
  // Asks for the side to move's move and plays it (announced, as the
  // computer's moves are). The game's clock, when it runs, gives the time.
  COutsideTurn PlayTurn(CGame& game, const std::function<bool()>& stop);

  // Ends the program; the next turn starts it again.
  void End();
  bool IsRunning() const { return Engine != nullptr; }
  // What went wrong in the last turn that ended the game (for the status bar).
  const std::string& Error() const { return ErrorText; }

  // How long to wait for an answer beyond the time the engine was given.
  static constexpr int kAnswerGraceMs = 2000;
  static constexpr int kStartWaitMs = 15000;

 private:
  // The program knows the game's start and every move up to the current one.
  bool Sync(const CGame& game);
  // The program's thinking time and how long to wait for it.
  int GiveTime(const CGame& game);
  COutsideTurn Lose(CGame& game, CGameEnd reason, const std::string& why);

  CFactory Factory;
  COutsidePlayerSettings Current;
  std::unique_ptr<COutsideEngine> Engine;
  std::string SentFen;
  std::vector<std::string> SentMoves;  // the moves the program has, ICCS
  std::string ErrorText;
};
