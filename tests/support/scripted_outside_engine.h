#pragma once
// An outside program played from a script, for tests: each request for a
// move takes the next step (a given move, silence, a text that is no move,
// the end-of-game verdict, the program going away); after the script it
// plays a legal move of its own (a capture when it has one) or says the
// game is over when it has none. Silence costs no time: it is reported at
// once as a time-out.
#include <string>
#include <vector>

#include "jobs/outside_engine.h"
#include "rules/position.h"

struct CScriptStep {
  enum CKind { Play, Silent, GameOver, Exit, Legal } Kind = Legal;
  std::string Text;  // Play: the text sent as the move (any text)
};

class CScriptedOutsideEngine : public COutsideEngine {
 public:
  CScriptedOutsideEngine() = default;

  // The script, taken one step per Reply, then AfterScript for ever.
  std::vector<CScriptStep> Script;
  CScriptStep AfterScript {CScriptStep::Legal, ""};
  bool Answers = true;  // false: Start fails as a program that does not start
  std::string ProgramName = "Scripted";
  // Called at every request for a move, before the step is taken (a test
  // can request a stop from here).
  std::function<void(int replyCount)> OnReply;

  // What the program was told.
  int StartCount = 0;
  int NewGameCount = 0;
  int ReplyCount = 0;
  int EndCount = 0;
  std::string Fen;
  COutsideSides Sides = COutsideSides::Black;
  std::vector<std::string> Moves;  // the game's move list as it sees it
  COutsideTime Time;               // the thinking time it was given last

  int Start(int waitMs) override;
  std::string Name() const override { return ProgramName; }
  std::string Error() const override { return Answers ? std::string() : "the scripted program does not start"; }
  int NewGame(const std::string& fen, COutsideSides sides) override;
  void HandOver(const std::string& iccs) override { Moves.push_back(iccs); }
  COutsideAnswer Reply(int waitMs, std::string& iccs, const std::function<bool()>& stop) override;
  void SetTime(const COutsideTime& time) override { Time = time; }
  void End() override { ++EndCount; }

 private:
  // A legal move in the position after the move list, preferring captures.
  bool ChooseLegalMove(std::string& iccs);
  size_t Step = 0;
  bool Gone = false;
};
