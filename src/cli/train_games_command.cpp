// tarvo-cli train-games: game training, by self-play or against an outside
// engine program; every finished game is saved and the networks learn from it.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "jobs/network_game_trainer.h"
#include "jobs/game_training_job.h"
#include "interrupt_watch.h"
#include "outside_engine_args.h"
#include "progress_line.h"

namespace {

struct CTrainGamesOptions {
  CGameTrainingValues Values;
  int EvalModel = EVAL_MODEL_DEFAULT;
  bool Train = true;
};

// Numbers are read whole; their ranges are the job's to check.
constexpr long long kIntMin = -2147483648LL, kIntMax = 2147483647LL;

int ParseTrainGamesOptions(const std::vector<std::string>& args, CTrainGamesOptions& options) {
  CGameTrainingValues& v = options.Values;
  v.TrainWithOutside = 0;
  const struct {
    const char* Option;
    int32_t* Value;
  } counts[] = {{"--cull-draw", &v.CullDraw},
                {"--max-train-count", &v.MaxTrainCount},
                {"--max-move-count", &v.MaxMoveCount},
                {"--max-wait-time", &v.MaxWaitTime},
                {"--max-uncap-move-count", &v.MaxUncapMoveCount},
                {"--min-delta-piece-count", &v.MinDeltaPieceCount},
                {"--min-status-count", &v.MinStatusCount},
                {"--max-learn-count", &v.MaxLearnCount},
                {"--auto-save-count", &v.AutoSaveCount},
                {"--movetime", &v.Outside.MoveTimeMs}};
  const struct {
    const char* Option;
    float* Value;
  } reals[] = {{"--min-move-coeff", &v.MinMoveCoeff}, {"--alpha", &v.Alpha}, {"--lambda", &v.Lambda}};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const int taken = TakeOutsideEngineArg("train-games", args, i, v.Outside);
    if (taken < 0) return 1;
    if (taken > 0) continue;
    if (arg == "--no-train") {
      options.Train = false;
      continue;
    }
    if (i + 1 >= args.size())
      return CliError("train-games: unexpected argument '" + arg + "' (tarvo-cli train-games --help)");
    const std::string& value = args[++i];
    bool known = false, read = true;
    for (const auto& count : counts)
      if (arg == count.Option) known = true, read = ReadIntOption(value, kIntMin, kIntMax, *count.Value);
    for (const auto& real : reals)
      if (arg == real.Option) known = true, read = ReadFloatOption(value, -1e30, 1e30, *real.Value);
    if (known) {
      if (!read) return CliError("train-games: " + arg + " takes a number, not '" + value + "'");
    } else if (arg == "--vs-engine") {
      v.Outside.Command = value;
      v.TrainWithOutside = 1;
    } else if (arg == "--root-dir") {
      v.RootDir = value;
    } else if (arg == "--eval") {
      if (value != "default" && value != "ann")
        return CliError("train-games: --eval takes default or ann, not '" + value + "'");
      options.EvalModel = value == "ann" ? EVAL_MODEL_ANN : EVAL_MODEL_DEFAULT;
    } else {
      return CliError("train-games: unexpected argument '" + arg + "' (tarvo-cli train-games --help)");
    }
  }
  return 0;
}

std::string FileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Score(const CJobProgress& progress) {
  char text[64];
  std::snprintf(text, sizeof text, "+%d =%d -%d", progress.Wins, progress.Draws, progress.Losses);
  return text;
}

int RunTrainGames(const std::vector<std::string>& args) {
  // Read and checked before the game object is built (it reads and may
  // create the network files), then read again over the networks' values.
  CTrainGamesOptions checked;
  if (ParseTrainGamesOptions(args, checked)) return 1;
  if (checked.Values.RootDir.empty()) checked.Values.RootDir = "case/";  // the data folder's, known later
  if (CJobError error = CheckGameTrainingValues(checked.Values))
    return CliError("train-games: " + EnglishMessage(error));
  auto game = MakeCliGame(false);
  CTrainGamesOptions options;
  options.Values = DefaultGameTrainingValues(game->Engine.Evaluator.AnnList);
  if (ParseTrainGamesOptions(args, options)) return 1;
  const CGameTrainingValues& values = options.Values;

  CSearchEngine& engine = game->Engine;
  engine.MaxSearchTime = values.Outside.MoveTimeMs;
  engine.MaxIterTime = static_cast<int>(static_cast<long long>(values.Outside.MoveTimeMs) * 3 / 4);
  engine.Evaluator.EvalModel = options.EvalModel;
  if (!engine.IsReady()) return CliError("train-games: " + engine.NotReadyReason());

  CJobControl control;
  CInterruptWatch watch([&] {
    control.RequestStop();
    game->TrainingIdle = 1;
    engine.EngineIdle = 1;
  });

  CGameTrainingHooks hooks;
  if (options.Train) {
    hooks.Trainer = MakeNetworkGameTrainer();
    hooks.SaveNetworks = MakeNetworkSaver(*game);
  }
  int saved = 0;
  CJobProgress last;
  CProgressLine progress("train-games", values.MaxTrainCount < 10000000 ? values.MaxTrainCount : 0);
  hooks.GameEnded = [&](const CTrainingGameReport& report) {
    if (!report.Path.empty()) ++saved;
    std::printf("game %d: %s (red) - %s (black) %s in %d moves: %s%s%s\n", report.Index,
                ShowText(report.Red).c_str(), ShowText(report.Black).c_str(), report.Result.c_str(),
                report.MoveCount, report.Path.empty() ? "not saved" : "saved as ",
                FileName(report.Path).c_str(), report.Note.empty() ? "" : (" (" + report.Note + ")").c_str());
    std::fflush(stdout);
  };
  control.OnProgress = [&](const CJobProgress& now) {
    last = now;
    progress.Update(now.Done, Score(now) + ", " + std::to_string(saved) + " saved");
  };

  const CJobError error = RunGameTraining(*game, values, hooks, control);
  if (!error || last.Done > 0)
    progress.Finish(last.Done, Score(last) + ", " + std::to_string(saved) + " saved in " + values.RootDir);
  if (error) return CliError("train-games: " + EnglishMessage(error));
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
    "--min-move-coeff 0, --max-learn-count 1 (passes over each game, at most 1000),\n"
    "--auto-save-count 1 (the networks are written to their files after every this many\n"
    "trained games, and at the end); --alpha and --lambda default to the first network's\n"
    "values. Progress shows games played and the trained side's wins/draws/losses.\n"
    "Ctrl-C stops after the current move; that game is not saved, the networks are." OUTSIDE_ENGINE_ARGS_HELP,
    RunTrainGames};

}  // namespace
