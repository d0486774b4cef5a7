#pragma once
// The outside program as an engine child process that speaks UCCI (ICCS
// moves, ranks 0..9), or UCI for engines that speak only that (fairy-
// stockfish and the like: ranks 1..10, "UCI_Variant" set to xiangqi).
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "jobs/child_process.h"
#include "jobs/outside_engine.h"

enum class COutsideProtocol { Auto, Ucci, Uci };

struct COutsideEngineSettings {
  std::string Command = "/usr/games/fairy-stockfish";  // a shell command line
  int MoveTimeMs = 1000;  // its thinking time per move
  COutsideProtocol Protocol = COutsideProtocol::Auto;  // Auto: UCCI, then UCI
  // Extra "setoption" lines, name and value, sent after the handshake.
  std::vector<std::pair<std::string, std::string>> Options;
};

class CUcciEngineProcess : public COutsideEngine {
 public:
  explicit CUcciEngineProcess(COutsideEngineSettings settings);
  ~CUcciEngineProcess() override;

  int Start(int waitMs) override;
  std::string Name() const override { return EngineName; }
  std::string Error() const override { return ErrorText; }
  int NewGame(const std::string& fen, COutsideSides sides) override;
  void HandOver(const std::string& iccs) override;
  COutsideAnswer Reply(int waitMs, std::string& iccs, const std::function<bool()>& stop) override;
  void SetTime(const COutsideTime& time) override;
  void End() override;

  // The "go" line for the next move: a fixed movetime, or the clocks
  // ("wtime/btime/winc/binc" in UCI; "time/increment/opptime/oppincrement"
  // in UCCI, in seconds unless the engine takes milliseconds).
  std::string GoCommand() const;

  // The protocol the program answered in (after Start).
  COutsideProtocol Protocol() const { return Spoken; }

 private:
  int Handshake(const char* hello, const char* ok, int waitMs);
  // Waits for a line starting with the word; other lines are passed over.
  CReadStatus WaitFor(const std::string& word, int waitMs, std::string* line);
  // Takes the name and the options an engine declares before its "ucciok".
  void NoteHandshakeLine(const std::string& line);
  void Fail(const std::string& why);
  std::string DescribeEnd();

  COutsideEngineSettings Settings;
  CChildProcess Child;
  COutsideProtocol Spoken = COutsideProtocol::Ucci;
  std::string EngineName;
  bool OffersMillisec = false;  // it declared "option usemillisec"
  std::string ErrorText;
  int ReadyWaitMs = 30000;
  COutsideTime Time;
  bool TimeSet = false;
  std::string StartFen;
  std::vector<std::string> Moves;  // the game's moves, ICCS
};
