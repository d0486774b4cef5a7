// tarvo-cli train-games: game training, by self-play or against an outside
// engine program; every finished game is saved and the networks learn from it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/dir_list.h"
#include "common/file_util.h"
#include "jobs/network_game_trainer.h"
#include "jobs/outside_training.h"
#include "jobs/self_play_training.h"
#include "jobs/ucci_engine_process.h"
#include "interrupt_watch.h"
#include "outside_engine_args.h"
#include "progress_line.h"

namespace {

constexpr int kGameMaxLearnCount = 1;
constexpr int kGameAutoSaveCount = 1000;

struct CTrainGamesOptions {
  CGameTrainingValues Values;
  COutsideEngineSettings Outside;
  int MoveTime = 1000;
  int EvalModel = EVAL_MODEL_DEFAULT;
  bool Train = true;
};

int Bad(const std::string& option, const char* what) {
  return CliError("train-games: " + option + " takes " + what);
}

int ParseTrainGamesOptions(const std::vector<std::string>& args, CTrainGamesOptions& options) {
  CGameTrainingValues& v = options.Values;
  v.TrainWithOutside = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const int taken = TakeOutsideEngineArg("train-games", args, i, options.Outside);
    if (taken < 0) return 1;
    if (taken > 0) continue;
    if (arg == "--no-train") {
      options.Train = false;
      continue;
    }
    if (i + 1 >= args.size())
      return CliError("train-games: unexpected argument '" + arg + "' (tarvo-cli train-games --help)");
    const std::string& value = args[++i];
    constexpr long long kMax = 2147483647LL;
    if (arg == "--vs-engine") {
      if (value.find_first_not_of(" \t") == std::string::npos) return Bad(arg, "a command");
      options.Outside.Command = value;
      v.TrainWithOutside = 1;
    } else if (arg == "--root-dir") {
      if (value.empty()) return Bad(arg, "a folder");
      v.RootDir = WithTrailingSlash(value);
    } else if (arg == "--cull-draw") {
      if (!ReadIntOption(value, 0, 1, v.CullDraw)) return Bad(arg, "0 or 1");
    } else if (arg == "--max-train-count") {
      if (!ReadIntOption(value, 1, kMax, v.MaxTrainCount)) return Bad(arg, "a count of 1 or more");
    } else if (arg == "--max-move-count") {
      if (!ReadIntOption(value, 1, 1024, v.MaxMoveCount)) return Bad(arg, "1..1024");
    } else if (arg == "--max-wait-time") {
      if (!ReadIntOption(value, 1, kMax, v.MaxWaitTime)) return Bad(arg, "milliseconds");
    } else if (arg == "--max-uncap-move-count") {
      if (!ReadIntOption(value, 0, kMax, v.MaxUncapMoveCount)) return Bad(arg, "a count");
    } else if (arg == "--min-delta-piece-count") {
      if (!ReadIntOption(value, 0, 16, v.MinDeltaPieceCount)) return Bad(arg, "0..16");
    } else if (arg == "--min-status-count") {
      if (!ReadIntOption(value, 0, kMax, v.MinStatusCount)) return Bad(arg, "a count");
    } else if (arg == "--min-move-coeff") {
      if (!ReadFloatOption(value, 0, 1, v.MinMoveCoeff)) return Bad(arg, "a number in 0..1");
    } else if (arg == "--max-learn-count") {
      if (!ReadIntOption(value, 1, kMax, v.MaxLearnCount)) return Bad(arg, "a count of 1 or more");
    } else if (arg == "--auto-save-count") {
      if (!ReadIntOption(value, 1, kMax, v.AutoSaveCount)) return Bad(arg, "a count of 1 or more");
    } else if (arg == "--alpha") {
      if (!ReadFloatOption(value, 1e-12, 10, v.Alpha)) return Bad(arg, "a number above 0, at most 10");
    } else if (arg == "--lambda") {
      if (!ReadFloatOption(value, 0, 1, v.Lambda)) return Bad(arg, "a number in 0..1");
    } else if (arg == "--movetime") {
      if (!ReadIntOption(value, 1, 3600000, options.MoveTime)) return Bad(arg, "milliseconds");
    } else if (arg == "--eval") {
      if (value != "default" && value != "ann") return Bad(arg, "default or ann");
      options.EvalModel = value == "ann" ? EVAL_MODEL_ANN : EVAL_MODEL_DEFAULT;
    } else {
      return CliError("train-games: unexpected argument '" + arg + "' (tarvo-cli train-games --help)");
    }
  }
  options.Outside.MoveTimeMs = options.MoveTime;
  return 0;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

std::string FileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RunTrainGames(const std::vector<std::string>& args) {
  // Checked before the game object is built (it reads and may create the
  // network files), then read again over the networks' defaults.
  CTrainGamesOptions checked;
  if (ParseTrainGamesOptions(args, checked)) return 1;
  auto game = MakeCliGame(false);
  CTrainGamesOptions options;
  options.Values = DefaultGameTrainingValues(game->Engine.Evaluator.AnnList);
  // A new network's own values (10000000 passes, a snapshot after each) would
  // learn the first game for ever and fill the disk: one pass a game, and no
  // snapshots, unless asked for.
  options.Values.MaxLearnCount = kGameMaxLearnCount;
  options.Values.AutoSaveCount = kGameAutoSaveCount;
  if (ParseTrainGamesOptions(args, options)) return 1;
  CGameTrainingValues& values = options.Values;
  EnsureDirectory(values.RootDir);
  if (!IsFolder(values.RootDir)) return CliError("train-games: cannot make the folder " + values.RootDir);

  CSearchEngine& engine = game->Engine;
  engine.MaxSearchTime = options.MoveTime;
  engine.MaxIterTime = static_cast<int>(static_cast<long long>(options.MoveTime) * 3 / 4);
  engine.Evaluator.EvalModel = options.EvalModel;
  if (!engine.IsReady()) return CliError("train-games: " + engine.NotReadyReason());

  CInterruptWatch watch([&] {
    game->TrainingIdle = 1;
    engine.EngineIdle = 1;
  });

  CGameTrainingHooks hooks;
  if (options.Train) hooks.Trainer = MakeNetworkGameTrainer();
  int played = 0, saved = 0;
  const long long total = values.MaxTrainCount < 10000000 ? values.MaxTrainCount : 0;
  CProgressLine progress("train-games", total);
  hooks.GameEnded = [&](const CTrainingGameReport& report) {
    ++played;
    if (!report.Path.empty()) ++saved;
    std::printf("game %d: %s (red) - %s (black) %s in %d moves: %s%s%s\n", report.Index,
                ShowText(report.Red).c_str(), ShowText(report.Black).c_str(), report.Result.c_str(),
                report.MoveCount, report.Path.empty() ? "not saved" : "saved as ",
                FileName(report.Path).c_str(), report.Note.empty() ? "" : (" (" + report.Note + ")").c_str());
    std::fflush(stdout);
    progress.Update(played, std::to_string(saved) + " saved");
  };

  int result;
  if (values.TrainWithOutside) {
    CUcciEngineProcess outside(options.Outside);
    result = OutsideTraining(*game, outside, values, hooks);
  } else {
    result = SelfPlayTraining(*game, values, hooks);
  }
  if (!result) {
    if (played > 0) progress.Finish(played, std::to_string(saved) + " saved in " + values.RootDir);
    return CliError("train-games: " + hooks.Error);
  }
  progress.Finish(played, std::to_string(saved) + " saved in " + values.RootDir);
  return watch.Requested() ? 130 : 0;
}

const CliCommand kTrainGames {
    "train-games",
    "[--vs-engine CMD [--engine-option NAME=VALUE]... [--protocol auto|ucci|uci]] [--movetime MS]\n"
    "       [--eval default|ann] [--root-dir DIR] [--cull-draw 0|1] [--max-train-count N]\n"
    "       [--max-move-count N] [--max-wait-time MS] [--max-uncap-move-count N]\n"
    "       [--min-delta-piece-count N] [--min-status-count N] [--min-move-coeff X]\n"
    "       [--max-learn-count N] [--auto-save-count N] [--alpha X] [--lambda X] [--no-train]",
    "Trains the network by playing whole games: by self-play (the network, \"TdbpAnn\", against\n"
    "the evaluation model chosen by --eval, \"Default\"), or with --vs-engine against an outside\n"
    "xiangqi engine (this program is \"Velmora\"). Colours change every game. Every finished game\n"
    "is saved in the root folder as case_<win|loss|draw>_<moves>_<time>.pgn and the networks\n"
    "learn from it (not with --no-train). A game decided by material after the capture-free\n"
    "limit, or an outside-engine game shorter than the minimum, is dropped.\n"
    "  --vs-engine CMD      the outside engine's command line, e.g. /usr/games/fairy-stockfish\n"
    "  --movetime MS        thinking time a move for both programs (default 1000)\n"
    "  --eval M             the model playing \"Default\": default (the default) or ann\n"
    "The game-training values, with their defaults: --root-dir (the data folder's case/),\n"
    "--cull-draw 1, --max-train-count 10000000, --max-move-count 600, --max-wait-time 30000,\n"
    "--max-uncap-move-count 80, --min-delta-piece-count 6, --min-status-count 6,\n"
    "--min-move-coeff 0, --max-learn-count 1 (passes over each game), --auto-save-count 1000\n"
    "(a network snapshot every this many passes); --alpha and --lambda default to the first\n"
    "network's values. Ctrl-C stops after the current move; that game is not saved." OUTSIDE_ENGINE_ARGS_HELP,
    RunTrainGames};

}  // namespace
