#pragma once
// Reading a game file, with a report of how far the moves were read.
#include <string>

#include "game/pgn_text_file.h"

class CGame;

// Why a file was not loaded at all.
enum class CPgnFailure {
  None,             // it was loaded (its moves may stop early: see CPgnStop)
  File,             // not readable as game text (see CPgnReadReport::FileError)
  EndsInTags,       // no line follows the tags
  BadTag,           // a tag line without a name or a pair of double quotes
  BadFen,           // the FEN tag is no valid position
  NoStartPosition,  // the start position could not be set
};

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
  CPgnFailure Failure = CPgnFailure::None;  // why the file was not loaded at all
  CGameFileError FileError;                 // with CPgnFailure::File
  int FailureLine = 0;                      // 1-based line of a bad tag
  int Plies = 0;      // moves read
  CPgnStop Stop = CPgnStop::None;
  int StopLine = 0;   // 1-based line of what stopped the reading
  std::string Token;  // the text there, GB2312 bytes
  bool Complete() const { return Failure == CPgnFailure::None && Stop == CPgnStop::None; }
};

// Loads the file into the game as LoadPgn does and fills the report. 1 when
// the file was loaded (its moves may have stopped early: see the report).
int ReadPgnFile(CGame& game, const std::string& path, CPgnReadReport& report);

// Why the file was not loaded, in English for the terminal ("line 1: a tag
// without a name or a pair of double quotes") and in Chinese for the window.
std::string DescribeFailure(const CPgnReadReport& report);
std::string DescribeFailureChinese(const CPgnReadReport& report);

// Where and why the moves stopped, in English with the token in UTF-8, e.g.
// "read 12 plies; stopped at line 7: '炮八进九' is not a move of the position".
std::string DescribeStop(const CPgnReadReport& report);
// The same in Chinese, for the desktop program.
std::string DescribeStopChinese(const CPgnReadReport& report);
