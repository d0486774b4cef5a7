// tarvo-cli match: this program's engine, playing through the game object,
// against an outside engine program, colours alternating.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/file_util.h"
#include "common/dir_list.h"
#include "jobs/elo_estimate.h"
#include "jobs/outside_match.h"
#include "jobs/ucci_engine_process.h"
#include "interrupt_watch.h"
#include "outside_engine_args.h"
#include "progress_line.h"

namespace {

constexpr int kStartWaitMs = 15000;

struct CMatchOptions {
  COutsideEngineSettings Outside;
  int Games = 2;
  int MoveTime = 1000;
  int EvalModel = EVAL_MODEL_ANN;
  int SearchMode = SEARCH_NEGASCOUT;
  std::string OutDir;
};

int ParseMatchOptions(const std::vector<std::string>& args, CMatchOptions& options) {
  bool haveEngine = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const int taken = TakeOutsideEngineArg("match", args, i, options.Outside);
    if (taken < 0) return 1;
    if (taken > 0) continue;
    if (i + 1 >= args.size()) return CliError("match: unexpected argument '" + arg + "' (tarvo-cli match --help)");
    const std::string& value = args[++i];
    if (arg == "--engine") {
      if (value.find_first_not_of(" \t") == std::string::npos) return CliError("match: --engine needs a command");
      options.Outside.Command = value;
      haveEngine = true;
    } else if (arg == "--games") {
      if (!ReadIntOption(value, 1, 100000, options.Games)) return CliError("match: --games takes 1..100000");
    } else if (arg == "--movetime") {
      if (!ReadIntOption(value, 1, 3600000, options.MoveTime)) return CliError("match: --movetime takes milliseconds");
    } else if (arg == "--eval") {
      if (value != "default" && value != "ann") return CliError("match: --eval takes default or ann");
      options.EvalModel = value == "ann" ? EVAL_MODEL_ANN : EVAL_MODEL_DEFAULT;
    } else if (arg == "--search") {
      if (value != "negascout" && value != "mtdf") return CliError("match: --search takes negascout or mtdf");
      options.SearchMode = value == "mtdf" ? SEARCH_MTDF : SEARCH_NEGASCOUT;
    } else if (arg == "--out") {
      options.OutDir = WithTrailingSlash(value);
    } else {
      return CliError("match: unexpected argument '" + arg + "' (tarvo-cli match --help)");
    }
  }
  if (!haveEngine) return CliError("match: --engine CMD is required (e.g. --engine /usr/games/fairy-stockfish)");
  options.Outside.MoveTimeMs = options.MoveTime;
  return 0;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

// <out>/match_<time of the run>_<game number>.pgn, never over an existing file.
std::string GamePath(const std::string& outDir, const std::string& stamp, int number) {
  char name[64];
  std::snprintf(name, sizeof name, "match_%s_%03d", stamp.c_str(), number);
  std::string path = outDir + name + ".pgn";
  struct stat info;
  for (int n = 2; ::stat(path.c_str(), &info) == 0; ++n)
    path = outDir + name + "_" + std::to_string(n) + ".pgn";
  return path;
}

std::string Tally(const CMatchTally& tally) {
  char text[64];
  std::snprintf(text, sizeof text, "+%d =%d -%d", tally.Wins, tally.Draws, tally.Losses);
  return text;
}

int RunMatch(const std::vector<std::string>& args) {
  CMatchOptions options;
  if (ParseMatchOptions(args, options)) return 1;
  if (!options.OutDir.empty()) {
    EnsureDirectory(options.OutDir);
    if (!IsFolder(options.OutDir)) return CliError("match: cannot make the folder " + options.OutDir);
  }

  auto game = MakeCliGame(false);
  CSearchEngine& engine = game->Engine;
  engine.MaxSearchTime = options.MoveTime;
  engine.MaxIterTime = static_cast<int>(static_cast<long long>(options.MoveTime) * 3 / 4);
  engine.Evaluator.EvalModel = options.EvalModel;
  engine.SearchMode = options.SearchMode;
  if (!engine.IsReady()) return CliError("match: " + engine.NotReadyReason());

  std::atomic<bool> stopRequested {false};
  CInterruptWatch watch([&] {
    stopRequested = true;
    engine.EngineIdle = 1;
  });
  auto stop = [&] { return stopRequested.load(); };

  CUcciEngineProcess outside(options.Outside);
  if (!outside.Start(kStartWaitMs)) return CliError("match: " + outside.Error());
  // Generous: a reply that never comes loses the game for the engine, and a
  // busy machine must not cost it games.
  const int replyWait = static_cast<int>(std::min<long long>(10LL * options.MoveTime + 5000, 2147483647LL));
  const std::string stamp = LocalTimeStamp();

  CMatchTally tally;
  CProgressLine progress("match", options.Games);
  for (int number = 1; number <= options.Games && !stop(); ++number) {
    CMatchGame played;
    played.WeAreRed = number % 2 == 1;
    std::string error;
    if (!PlayMatchGame(*game, outside, replyWait, stop, played, error)) {
      progress.Finish(number - 1);
      std::printf("%s\n", tally.SummaryLine().c_str());
      return CliError("match: game " + std::to_string(number) + ": " + error);
    }
    if (played.Stopped) break;
    tally.Add(MatchScore(played));
    std::string saved;
    if (!options.OutDir.empty()) {
      const std::string path = GamePath(options.OutDir, stamp, number);
      if (!game->SavePgn(path)) {
        progress.Finish(number - 1);
        return CliError("match: cannot write " + path);
      }
      saved = " " + path;
    }
    std::printf("game %d: %s (red) - %s (black) %s in %d moves%s%s\n", number, ShowText(game->Red).c_str(),
                ShowText(game->Black).c_str(), played.Result.c_str(), played.MoveCount,
                played.Note.empty() ? "" : (" (" + played.Note + ")").c_str(), saved.c_str());
    std::fflush(stdout);
    progress.Update(number, Tally(tally));
  }
  progress.Finish(tally.Games(), Tally(tally));
  outside.End();
  std::printf("%s\n", tally.SummaryLine().c_str());
  std::fflush(stdout);
  return stop() ? 130 : 0;
}

const CliCommand kMatch {
    "match",
    "--engine CMD [--engine-option NAME=VALUE]... [--games N] [--movetime MS] [--eval default|ann]\n"
    "       [--search negascout|mtdf] [--out DIR] [--protocol auto|ucci|uci]",
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
    "Ctrl-C stops after the current move and prints the result of the finished games." OUTSIDE_ENGINE_ARGS_HELP,
    RunMatch};

}  // namespace
