#pragma once
// Record checking: every game file (".pgn") of a folder tree, in name
// order, is loaded, played on to its end by the outside program (both
// sides), and written back completed. The caller clears CheckingIdle before
// and sets it after; setting it to 1 meanwhile stops the check, leaving the
// file in hand as it was. The game object's own game is put back at the end.
#include <functional>
#include <string>

class CGame;
class COutsideEngine;

// Whether the file name is one record checking takes: it ends in ".pgn", in
// any case. Other files in the tree are left alone.
bool IsGameFileName(const std::string& name);

struct CRecordCheckValues {
  int MaxListCount = 300;   // a game longer than this many moves is endless
  int MaxWaitTime = 30000;  // ms without a reply that end the file's game
  int DrawnOnly = 0;        // 1: only files that hold "1/2-1/2"
};

struct CCheckedFileReport {
  std::string Path;
  int MovesBefore = 0;
  int MovesAfter = 0;
  std::string Result;
  std::string Outcome;  // "completed", "endless", "no reply", "bad reply: ...", "skipped"
  bool Written = false;
};

struct CRecordCheckHooks {
  std::function<void(const CCheckedFileReport&)> FileDone;
  std::string Error;  // why the check returned 0
};

// 1 when the tree was processed or a stop was requested; 0 when a file
// cannot be loaded, handed over or written back, or the outside program
// does not start or goes away (hooks.Error). The program is ended before
// returning.
int CheckRecords(CGame& game, COutsideEngine& outside, const std::string& rootDir, const CRecordCheckValues& values,
                 CRecordCheckHooks& hooks);
