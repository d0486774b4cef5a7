#pragma once
// What Tarvo says to an outside UCI engine program (fairy-stockfish and the
// like, with "UCI_Variant" xiangqi) and reads back: the handshake, a
// position as a FEN with the moves after it, the figures of an "info" line
// and its line of moves.
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/child_process.h"
#include "rules/move.h"
#include "rules/position.h"

// Reads until a line that starts with word. False with error naming the
// engine's command when it ends or stays silent for waitMs.
bool WaitForUciWord(CChildProcess& child, const std::string& word, int waitMs, const std::string& command,
                    std::string& error);

// Starts the program and takes it through "uci" and "isready", set to
// xiangqi. False with error; the caller ends the child either way.
bool StartUciXiangqi(CChildProcess& child, const std::string& command, std::string& error);

// "position fen ..." for the start and, after it, its first played moves.
std::string UciPositionCommand(const CPosition& start, int startRedToMove, const std::vector<CMove>& moves,
                               size_t played);

// The figures of one "info" line; those it does not give keep these values.
struct CUciInfo {
  int Depth = 0;
  int MultiPv = 1;           // which of the several lines (1 = best)
  bool HasScore = false;
  bool Bound = false;        // a lowerbound or upperbound: not the line's score
  bool Mate = false;
  int Centipawns = 0;        // from the side to move; +-MATE_CENTIPAWNS for a mate
  int MateMoves = 0;         // the mate comes within this many moves
  uint64_t Nodes = 0;
  uint64_t NodesPerSecond = 0;
  uint32_t TimeMs = 0;
  std::vector<std::string> Pv;  // UCI coordinates ("h2e2"), as sent
};

// False when the line is not an "info" line.
bool ParseUciInfo(const std::string& line, CUciInfo& info);

// The pv as our moves, legal one after the other from the position, cut
// before the first that does not read or cannot be played.
std::vector<CMove> MovesOfUciLine(const CPosition& position, int redToMove, const std::vector<std::string>& pv);
