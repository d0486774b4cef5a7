#pragma once
// The settings of a self-play run: two configurations of this program's own
// engine, A and B, play each other and every finished game is written to
// OutDir. The defaults are kept here and nowhere else; the range table is
// both the check and the text that tells the user the limits.
#include <cstdint>
#include <string>

#include "jobs/job.h"
#include "jobs/setting_range.h"

// One side's engine.
struct CSelfPlaySide {
  int32_t EvalModel = 0;  // 0 piece values ("Default"), 1 the network ("TdbpAnn")
  int32_t Depth = 3;      // iterations of the search: depth 1 .. Depth
  int32_t Nodes = 0;      // node limit a move; 0: none
};

struct CSelfPlaySettings {
  std::string OutDir;      // made when missing
  int32_t Games = 1000;    // the finished games OutDir is to hold
  CSelfPlaySide A, B;      // A is red in odd games, black in even ones
  int32_t MoveTime = 0;    // ms a move for both sides; 0: no time limit
  int32_t RandomPlies = 8; // plies at the start taken at random (the book's moves first)
  int32_t MaxPlies = 300;  // a game still going after this many plies is decided by material
  int32_t MinDeltaPieceCount = 3;  // pieces more needed to win at MaxPlies
  int32_t Threads = DefaultSelfPlayThreads();
  int64_t Seed = NewSelfPlaySeed();  // game n's openings come from (Seed, n) alone

  static int32_t DefaultSelfPlayThreads();
  static int64_t NewSelfPlaySeed();  // from the clock and the process id
};

inline constexpr CSettingRange kSelfPlayRanges[] = {
    {"Games", 1, 999999},
    {"AEval", 0, 1},
    {"BEval", 0, 1},
    {"ADepth", 1, 64},
    {"BDepth", 1, 64},
    {"ANodes", 0, INT32_MAX},
    {"BNodes", 0, INT32_MAX},
    {"MoveTime", 0, 3600000},
    {"RandomPlies", 0, 200},
    {"MaxPlies", 1, 1000},
    {"MinDeltaPieceCount", 0, 16},
    {"Threads", 1, 64},
    {"Seed", 0, 4294967295LL},
};

// The first setting a run cannot use, or no error. OutDir must not be empty.
CJobError CheckSelfPlaySettings(const CSelfPlaySettings& settings);
