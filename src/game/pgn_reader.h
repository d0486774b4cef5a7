#pragma once
// Reading a game file, with a report of how far the moves were read.
#include <string>

class CGame;

// Why the move section was not read to its end.
enum class CPgnStop {
  None,             // every move was read
  NotAMove,         // a token that is no move of the position
  KingLeftAttacked, // a move that leaves the mover's king attacked
  RecordFull,       // more moves than the record holds
  UnreadableText,   // text that is neither a move, a move number nor a comment
  UnclosedComment,  // a comment still open at the end of the file
  NextGame,         // the tags of another game: a file is read as one game
};

struct CPgnReadReport {
  std::string Error;  // why the file was not loaded at all (English); empty when it was
  int Plies = 0;      // moves read
  CPgnStop Stop = CPgnStop::None;
  int StopLine = 0;   // 1-based line of what stopped the reading
  std::string Token;  // the text there, GB2312 bytes
  bool Complete() const { return Error.empty() && Stop == CPgnStop::None; }
};

// Loads the file into the game as LoadPgn does and fills the report. 1 when
// the file was loaded (its moves may have stopped early: see the report).
int ReadPgnFile(CGame& game, const std::string& path, CPgnReadReport& report);

// Where and why the moves stopped, in English with the token in UTF-8, e.g.
// "read 12 plies; stopped at line 7: '炮八进九' is not a move of the position".
std::string DescribeStop(const CPgnReadReport& report);
// The same in Chinese, for the desktop program.
std::string DescribeStopChinese(const CPgnReadReport& report);
