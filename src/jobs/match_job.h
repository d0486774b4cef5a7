#pragma once
// A match as one job: this program's engine, playing through the game
// object, against the outside program, colours alternating (our engine red
// in odd games). The settings are checked before the outside program is
// started; progress counts games with our wins, draws and losses.
#include <cstdint>
#include <functional>
#include <string>

#include "jobs/job.h"
#include "jobs/outside_match.h"
#include "jobs/selfplay_settings.h"
#include "jobs/ucci_engine_process.h"

class CGame;
class COutsideEngine;

struct CMatchSettings {
  COutsideEngineSettings Outside;  // its MoveTimeMs is both engines' time a move
  int Games = 2;
  int EvalModel = 1;   // our engine's evaluation: 1 the network, 0 piece values
  int SearchMode = 0;  // our engine's search: 0 NegaScout, 1 MTD(f)
  std::string OutDir;  // empty: the games are not saved
  // Varied openings: games 2k-1 and 2k start from the same position, reached
  // by RandomPlies random plies (a book move by its weight where our book
  // knows the position, else any legal move), with the colours swapped, so
  // neither engine is favoured by the opening it drew. 0: the start position.
  int32_t RandomPlies = 0;
  int64_t Seed = CSelfPlaySettings::NewSelfPlaySeed();  // the openings come from the seed and the pair's number only
};

// The first setting a match cannot use, or no error.
CJobError CheckMatchSettings(const CMatchSettings& settings);

struct CMatchHooks {
  // After every finished game: its number, how it went, and the file it was
  // saved to (empty when not saved).
  std::function<void(int number, const CMatchGame& played, const std::string& path)> GameEnded;
};

// No error when every game was played or a stop was requested. The game
// object's engine takes the settings' time, evaluation and search; every
// game starts with only its own tags. outside: nullptr starts settings.Outside.
CJobError RunMatch(CGame& game, const CMatchSettings& settings, CMatchHooks& hooks, CJobControl& control,
                   COutsideEngine* outside = nullptr);
