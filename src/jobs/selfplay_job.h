#pragma once
// Self-play as one job: Threads workers, each with a game object (and so an
// engine, tables and move lists) of its own, take the missing game numbers
// one at a time and write every finished game to OutDir, through a
// temporary file renamed into place so that only whole records are ever
// seen there. A stop drops the games in hand: they are not written, and a
// later run plays them again. Progress counts the games in OutDir with A's
// wins, draws and losses.
#include <functional>
#include <string>

#include "jobs/job.h"
#include "jobs/selfplay_game.h"
#include "jobs/selfplay_settings.h"

struct CSelfPlayReport {
  int Number = 0;
  CSelfPlayGame Game;
  std::string Path;
};

struct CSelfPlayRun {
  // After each written game, on the worker that played it; one at a time.
  std::function<void(const CSelfPlayReport&)> GameEnded;
  // What the run found and did, filled as it goes.
  int Existing = 0;  // records already in OutDir at the start
  int Played = 0;    // games written by this run
  int Dropped = 0;   // games in hand when the stop came, not written
};

// No error when OutDir holds Games records or a stop was requested.
CJobError RunSelfPlay(const CSelfPlaySettings& settings, CJobControl& control, CSelfPlayRun& run);
