#pragma once
// Reads the move section of a game file into the game, from the position the
// tags set up, and notes in the report how far it got.
#include <cstddef>
#include <string>
#include <string_view>

#include "game/pgn_reader.h"

class CGame;

class CMoveReader {
 public:
  // `text` is the move section (GB2312 bytes); `line` its first line's number.
  CMoveReader(CGame& game, std::string_view text, int line, CPgnReadReport& report);
  // Plays every move up to the end of the text, the result token or the
  // first thing that is no move of the position.
  void Run();

 private:
  void Stop(CPgnStop why, int line, std::string_view token);
  void StopAtToken(CPgnStop why);
  bool StartsResult() const;
  void AddToToken(std::string_view ch);
  void PlayToken();
  void ReadComment(char open);
  void Attach(std::string_view body);

  CGame& Game;
  std::string_view Text;
  size_t At = 0;
  int Line;
  int TokenLine = 0;     // line where the token being read began
  size_t TokenStart = 0;
  std::string Token;     // the move being read, in the notation tables' spelling
  CPgnReadReport& Report;
};
