#pragma once
// Game review: the engine searches every position of a game and each move
// is set against the engine's choice. A move that gives away at least
// MISTAKE_LOSS centipawns from its side's view is a mistake (疑问手), at least
// BLUNDER_LOSS a blunder (败着). The review can be written into the game as
// comments on the marked moves.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/search_engine.h"
#include "jobs/job.h"

class CGame;

constexpr int MISTAKE_LOSS = 100;
constexpr int BLUNDER_LOSS = 300;

struct CReviewSettings {
  int MoveTimeMs = 1000;             // search time a position, 10 .. 600000 (twice for a move not the engine's)
  int MaxDepth = DEFAULT_MAX_DEPTH;  // plies a position, 1 .. DEFAULT_MAX_DEPTH: a fixed depth for repeatable runs
  int EvalModel = EVAL_MODEL_DEFAULT;  // piece values: losses in centipawns
  bool WriteComments = false;        // ReviewGame writes the review into the game
  // Empty: Tarvo's engine. Otherwise the command line of an outside UCI
  // engine (e.g. /usr/games/fairy-stockfish), searching MaxDepth plies when
  // that is set below DEFAULT_MAX_DEPTH, else MoveTimeMs.
  std::string EngineCommand;
};

// The first setting out of range, or no error.
CJobError CheckReviewSettings(const CReviewSettings& settings);

enum class CReviewMark { None, Mistake, Blunder };
CReviewMark MarkOfLoss(int lossCentipawns);
// "疑问手", "败着" (UTF-8), or empty.
const char* MarkName(CReviewMark mark);

// A search score in centipawns from red's side, with a mate apart.
struct CReviewScore {
  int RedCentipawns = 0;  // +-MATE_CENTIPAWNS for a mate
  bool Mate = false;
  int MateMoves = 0;      // within this many moves of the winner
};

struct CMoveReview {
  int Ply = 0;          // 1 for red's first move of the game
  bool RedMoved = true;
  CMove Played;
  CMove Best;           // the engine's choice in the position before (may be the played move)
  std::string Notation;      // of the played move, GB2312
  std::string BestNotation;  // GB2312
  CReviewScore Before;  // the position before, at its best
  CReviewScore After;   // the position after the played move
  int Loss = 0;         // centipawns the move gave away, mover's view, never negative
  CReviewMark Mark = CReviewMark::None;
  // Scores from the mover's side.
  int MoverBefore() const { return RedMoved ? Before.RedCentipawns : -Before.RedCentipawns; }
  int MoverAfter() const { return RedMoved ? After.RedCentipawns : -After.RedCentipawns; }
};

struct CGameReview {
  std::vector<CMoveReview> Moves;
  // Counts per side: index 0 red, 1 black.
  int Mistakes[2] {};
  int Blunders[2] {};
  bool Stopped = false;  // the stop request ended it; Moves holds the moves reviewed so far
};

// Reviews the moves from the position (the side to move as given). Progress
// counts positions searched of moves.size() + 1. The moves must be legal.
CJobError ReviewMoves(const CPosition& start, int redToMove, const std::vector<CMove>& moves,
                      const CReviewSettings& settings, CJobControl& control, CGameReview& review);

// The game's start position, its side to move and every move of its record
// (the part undone for redo too).
void GameMoves(CGame& game, CPosition& start, int& redToMove, std::vector<CMove>& moves);

// Reviews the game's moves; with WriteComments, writes the review into it.
CJobError ReviewGame(CGame& game, const CReviewSettings& settings, CJobControl& control, CGameReview& review);

// Puts a line "复盘：..." into the comment of each marked move (GB2312),
// replacing a review line written before and keeping the rest of the comment;
// unmarked moves lose an earlier review line.
void WriteReviewComments(CGame& game, const CGameReview& review);
