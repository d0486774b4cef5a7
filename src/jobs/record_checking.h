#pragma once
// Record checking: every game file (".pgn") of a folder tree, in name
// order, is loaded, played on to its end by the outside program (both
// sides), and written back completed. A file is only rewritten when it was
// read whole as one game and the outside program played it on soundly;
// any other file is left as it was and reported.
#include <functional>
#include <string>

#include "jobs/job.h"
#include "jobs/ucci_engine_process.h"

class CGame;
class COutsideEngine;

// Whether the file name is one record checking takes: it ends in ".pgn", in
// any case. Other files in the tree are left alone.
bool IsGameFileName(const std::string& name);

// The settings of a check, with their defaults.
struct CRecordCheckValues {
  std::string RootDir;      // the folder tree to check
  int MaxListCount = 300;   // a game longer than this many moves is endless
  int MaxWaitTime = 30000;  // ms without a reply that end the file's game
  int DrawnOnly = 0;        // 1: only files that hold "1/2-1/2"
  int KeepDecisive = 0;     // 1: a recorded "1-0" or "0-1" stays whatever the play-on gives
  COutsideEngineSettings Outside;
};

// The first setting a check cannot use, or no error.
CJobError CheckRecordCheckValues(const CRecordCheckValues& values);

struct CCheckedFileReport {
  std::string Path;
  int MovesBefore = 0;
  int MovesAfter = 0;
  std::string ResultBefore;  // the recorded result
  std::string Result;
  // "completed", "endless", "no reply", "skipped", or, with the file left
  // as it was: "bad reply: ...", "not read whole: ...", "engine fault: ...".
  std::string Outcome;
  bool Written = false;
};

// The closing count of a check.
struct CRecordCheckSummary {
  long long Files = 0;           // game files taken (skipped ones included)
  long long Written = 0;         // rewritten
  long long LeftAsTheyWere = 0;  // not rewritten: not read whole, bad reply, engine fault
  long long ResultsChanged = 0;  // rewritten with a result other than the recorded one
};

struct CRecordCheckHooks {
  std::function<void(const CCheckedFileReport&)> FileDone;
  const CJobControl* Control = nullptr;  // its stop request counts as CheckingIdle set
  CRecordCheckSummary Summary;
  std::string Error;  // why the check returned 0
};

// The check as a job: the settings are checked first, the files counted,
// and the check runs in a game object of its own (the player's game is
// never touched). Progress: files Done of Total, Current the file in hand.
// No error when the tree was processed or a stop was requested.
// outside: the program to use; nullptr starts values.Outside.
CJobError RunRecordCheck(const CRecordCheckValues& values, CRecordCheckHooks& hooks, CJobControl& control,
                         COutsideEngine* outside = nullptr);

// The check in the given game object. The caller clears CheckingIdle before
// and sets it after; setting it to 1 meanwhile stops the check, leaving the
// file in hand as it was. 1 when the tree was processed or a stop was
// requested; 0 when a file cannot be loaded, handed over or written back,
// or the outside program does not start or goes away (hooks.Error). The
// program is ended before returning; the game object's own game is put back.
int CheckRecords(CGame& game, COutsideEngine& outside, const std::string& rootDir, const CRecordCheckValues& values,
                 CRecordCheckHooks& hooks);
