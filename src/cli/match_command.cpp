// tarvo-cli match: this program's engine, playing through the game object,
// against an outside engine program, colours alternating.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "jobs/elo_estimate.h"
#include "jobs/match_job.h"
#include "interrupt_watch.h"
#include "outside_engine_args.h"
#include "progress_line.h"

namespace {

// Numbers are read whole; their ranges are the job's to check.
constexpr long long kIntMin = -2147483648LL, kIntMax = 2147483647LL;

int ParseMatchOptions(const std::vector<std::string>& args, CMatchSettings& settings) {
  bool haveEngine = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const int taken = TakeOutsideEngineArg("match", args, i, settings.Outside);
    if (taken < 0) return 1;
    if (taken > 0) continue;
    if (i + 1 >= args.size()) return CliError("match: unexpected argument '" + arg + "' (tarvo-cli match --help)");
    const std::string& value = args[++i];
    if (arg == "--engine") {
      settings.Outside.Command = value;
      haveEngine = true;
    } else if (arg == "--games" || arg == "--movetime") {
      int32_t& number = arg == "--games" ? settings.Games : settings.Outside.MoveTimeMs;
      if (!ReadIntOption(value, kIntMin, kIntMax, number))
        return CliError("match: " + arg + " takes a number, not '" + value + "'");
    } else if (arg == "--eval") {
      if (value != "default" && value != "ann") return CliError("match: --eval takes default or ann");
      settings.EvalModel = value == "ann" ? EVAL_MODEL_ANN : EVAL_MODEL_DEFAULT;
    } else if (arg == "--search") {
      if (value != "negascout" && value != "mtdf") return CliError("match: --search takes negascout or mtdf");
      settings.SearchMode = value == "mtdf" ? SEARCH_MTDF : SEARCH_NEGASCOUT;
    } else if (arg == "--out") {
      settings.OutDir = value;
    } else if (arg == "--random-plies") {
      if (!ReadInt32Text(value, settings.RandomPlies)) return CliError("match: '" + value + "' is not a number, for --random-plies");
    } else if (arg == "--seed") {
      if (!ReadInt64Text(value, settings.Seed)) return CliError("match: '" + value + "' is not a number, for --seed");
    } else {
      return CliError("match: unexpected argument '" + arg + "' (tarvo-cli match --help)");
    }
  }
  if (!haveEngine) return CliError("match: --engine CMD is required (e.g. --engine /usr/games/fairy-stockfish)");
  return 0;
}

std::string Tally(const CJobProgress& progress) {
  char text[64];
  std::snprintf(text, sizeof text, "+%d =%d -%d", progress.Wins, progress.Draws, progress.Losses);
  return text;
}

int RunMatchCommand(const std::vector<std::string>& args) {
  CMatchSettings settings;
  if (ParseMatchOptions(args, settings)) return 1;
  if (CJobError error = CheckMatchSettings(settings)) return CliError("match: " + EnglishMessage(error));

  auto game = MakeCliGame(false);
  CJobControl control;
  CInterruptWatch watch([&] {
    control.RequestStop();
    game->Engine.EngineIdle = 1;
  });

  CMatchHooks hooks;
  hooks.GameEnded = [&](int number, const CMatchGame& played, const std::string& path) {
    std::printf("game %d: %s (red) - %s (black) %s in %d moves%s%s\n", number, ShowText(game->Red).c_str(),
                ShowText(game->Black).c_str(), played.Result.c_str(), played.MoveCount,
                played.Note.empty() ? "" : (" (" + played.Note + ")").c_str(),
                path.empty() ? "" : (" " + path).c_str());
    std::fflush(stdout);
  };
  CJobProgress last;
  CProgressLine progress("match", settings.Games);
  control.OnProgress = [&](const CJobProgress& now) {
    last = now;
    progress.Update(now.Done, Tally(now));
  };
  const CJobError error = RunMatch(*game, settings, hooks, control);
  if (!error || last.Done > 0) {
    progress.Finish(last.Done, Tally(last));
    std::printf("%s\n", MatchSummaryLine(last.Wins, last.Draws, last.Losses).c_str());
    std::fflush(stdout);
  }
  if (error) return CliError("match: " + EnglishMessage(error));
  return watch.Requested() ? 130 : 0;
}

const CliCommand kMatch {
    "match",
    "--engine CMD [--engine-option NAME=VALUE]... [--games N] [--movetime MS] [--eval default|ann]\n"
    "       [--search negascout|mtdf] [--out DIR] [--protocol auto|ucci|uci] [--random-plies N [--seed S]]",
    "Plays this program's engine against an outside xiangqi engine (UCCI or UCI, e.g.\n"
    "/usr/games/fairy-stockfish or \"tarvo-cli ucci\"), colours alternating, our engine red in\n"
    "odd games. The game rules (repetition, 80 plies without a capture) end each game; an\n"
    "engine with no move, an illegal move or no answer loses. Prints one line per game and\n"
    "last: wins=W draws=D losses=L elo=E margin=M (Elo difference from our side, 95% margin).\n"
    "  --engine CMD         the outside engine's command line (run by /bin/sh)\n"
    "  --games N            games to play (default 2)\n"
    "  --movetime MS        thinking time a move for both engines (default 1000)\n"
    "  --eval, --search     our engine's evaluation model (default ann) and search\n"
    "  --out DIR            also save every game there as match_<time>_<NNN>.pgn\n"
    "  --random-plies N     varied openings: games 2k-1 and 2k start, colours swapped, from\n"
    "                       the position N random plies lead to (a book move by its weight\n"
    "                       where our book knows the position, else any legal move; 0..40,\n"
    "                       default 0); --seed S fixes the openings (default: from the clock)\n"
    "Ctrl-C stops after the current move and prints the result of the finished games." OUTSIDE_ENGINE_ARGS_HELP,
    RunMatchCommand};

}  // namespace
