// tarvo-cli train: TD(lambda) training of the evaluation network over the
// sample files, or over game records turned into samples first.
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "jobs/batch_train.h"
#include "jobs/sample_generation.h"
#include "cli_command.h"
#include "cli_game.h"
#include "common/dir_list.h"
#include "common/exe_path.h"
#include "interrupt_watch.h"
#include "number_option.h"
#include "progress_line.h"

namespace {

constexpr int kInterruptedStatus = 130;

struct CTrainCommandOptions {
  std::string Records;
  CTrainParams Params;
};

std::string ParseTrainOptions(const std::vector<std::string>& args, CTrainCommandOptions& options) {
  CTrainParams& p = options.Params;
  // The command's defaults: one outer pass, no range (network 0 on every
  // status), drawn games kept; learning values are the network's own.
  p.CullDraw = 0;
  p.StartTdbpAnnIndex = -1;
  p.EndTdbpAnnIndex = -1;
  p.MaxRelearnCount = 1;
  p.ThreadCount.reset();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (i + 1 >= args.size()) return "unexpected argument '" + arg + "'";
    const std::string& text = args[++i];
    bool ok = false;
    std::string range;
    int32_t number = 0;
    float real = 0;
    if (arg == "--records") {
      options.Records = text;
      ok = !text.empty();
    } else if (arg == "--max-relearn") {
      range = "0..2147483647";
      ok = ReadIntOption(text, 0, 2147483647, p.MaxRelearnCount);
    } else if (arg == "--max-learn") {
      range = "0..2147483647";
      ok = ReadIntOption(text, 0, 2147483647, number);
      if (ok) p.MaxLearnCount = number;
    } else if (arg == "--auto-save") {
      range = "1..2147483647";
      ok = ReadIntOption(text, 1, 2147483647, number);
      if (ok) p.AutoSaveCount = number;
    } else if (arg == "--threads") {
      range = "1..64";
      ok = ReadIntOption(text, 1, 64, number);
      if (ok) p.ThreadCount = number;
    } else if (arg == "--alpha") {
      range = "above 0, at most 10";
      ok = ReadFloatOption(text, 1e-12, 10, real) && real > 0;
      if (ok) p.Alpha = real;
    } else if (arg == "--lambda") {
      range = "0..1";
      ok = ReadFloatOption(text, 0, 1, real);
      if (ok) p.Lambda = real;
    } else if (arg == "--start" || arg == "--end") {
      range = "-1..999";
      ok = ReadIntOption(text, -1, 999, arg == "--start" ? p.StartTdbpAnnIndex : p.EndTdbpAnnIndex);
    } else {
      return "unexpected argument '" + arg + "'";
    }
    if (!ok) return "bad value '" + text + "' for " + arg + (range.empty() ? "" : " (" + range + ")");
  }
  return {};
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HasFiles(const std::string& folder) {
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(folder, entries)) return false;
  for (const CDirEntry& entry : entries)
    if (!entry.IsDir) return true;
  return false;
}

int RunTrain(const std::vector<std::string>& args) {
  CTrainCommandOptions options;
  const std::string problem = ParseTrainOptions(args, options);
  if (!problem.empty()) return CliError("train: " + problem + " (tarvo-cli train --help)");
  struct stat info {};
  if (!options.Records.empty() && ::stat(options.Records.c_str(), &info) != 0)
    return CliError("train: no such folder or file '" + options.Records + "'");
  const std::string sampleDir = DefaultSampleDir();
  if (options.Records.empty() && (!IsFolder(sampleDir) || !HasFiles(sampleDir)))
    return CliError("train: no sample files in '" + sampleDir +
                    "' (make them with 'tarvo-cli samples DIR', or give --records DIR)");

  auto game = MakeCliGame(false);
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  CTrainParams& params = options.Params;
  const std::string refusal = CheckTrainParams(list, params);
  if (!refusal.empty()) return CliError("train: " + refusal);

  std::atomic<int> stop {0};
  CInterruptWatch watch([&] {
    std::fprintf(stderr, "\ntrain: stopping at the end of the pass in progress\n");
    stop = 1;
    list.SetRunning(0);
  });
  std::atomic<int> relearn {0};
  CProgressLine sampling("samples");
  CProgressLine training("train");
  int32_t lastPass = 0;
  long long positions = 0;
  std::string error;
  params.StopRequest = &stop;
  params.Error = &error;
  params.OnRecord = [&](int32_t loaded, int32_t offered) {
    sampling.Update(offered, std::to_string(loaded) + " games taken");
  };
  params.OnProgress = [&](const CTrainProgress& progress) {
    if (progress.PassEnded) lastPass = progress.CurrLearnCount;
    positions = progress.PositionsLearned;
    training.Update(progress.PositionsLearned,
                    progress.RunName + " pass " + std::to_string(progress.CurrLearnCount) + "/" +
                        std::to_string(progress.MaxLearnCount) + ", relearn " +
                        std::to_string(relearn.load()));
  };

  int result;
  if (!options.Records.empty()) {
    result = BatchTrainFromRecords(*game, options.Records, params, &relearn);
  } else {
    CLearnOptions learn;
    learn.MaxLearnCount = params.MaxLearnCount;
    learn.AutoSaveCount = params.AutoSaveCount;
    learn.ThreadCount = params.ThreadCount;
    learn.Alpha = params.Alpha;
    learn.Lambda = params.Lambda;
    learn.StopRequest = params.StopRequest;
    learn.OnProgress = params.OnProgress;
    learn.Error = params.Error;
    result = BatchTrain(list, &relearn, list.Count(), params.StartTdbpAnnIndex,
                        params.EndTdbpAnnIndex, params.MaxRelearnCount, "eval", ".ann", sampleDir,
                        learn);
  }
  training.Finish(positions, "passes done: " + std::to_string(lastPass));
  if (!error.empty()) return CliError("train: " + error);
  std::printf("network: %seval000.ann (copy it to %sann/eval000.ann to play with it)\n",
              GetExePath().c_str(), GetExePath().c_str());
  std::printf("log: %straining_eval000_ann.txt\n", GetExePath().c_str());
  if (stop.load()) return kInterruptedStatus;
  if (!result) return CliError("train: the training did not finish (see the log)");
  return 0;
}

const CliCommand kTrain {
    "train",
    "[--records DIR] [--max-relearn N] [--max-learn N] [--auto-save N] [--threads N] "
    "[--alpha X] [--lambda X] [--start I] [--end I]",
    "Trains the evaluation network by TD(lambda) over every sample file in sample/ of the\n"
    "data folder; with --records, first turns the game records below DIR into new sample\n"
    "files (as 'tarvo-cli samples DIR' does). The network starts from ann/eval000.ann;\n"
    "the trained one is written to eval000.ann in the data folder after every sample file\n"
    "and pass, a snapshot _eval000_<time>_<pass>.ann every --auto-save passes, and a line\n"
    "per pass to training_eval000_ann.txt. ann/eval000.ann itself is never changed.\n"
    "  --max-relearn N  outer passes (default 1)\n"
    "  --max-learn N    passes over the sample files (default: the network's, 10000000)\n"
    "  --auto-save N    snapshot every N passes (default: the network's, 1)\n"
    "  --threads N      threads per game when one of several networks learns (1..64)\n"
    "  --alpha X        learning rate (default: the network's, 0.01)\n"
    "  --lambda X       trace decay, 0..1 (default: the network's, 0.9)\n"
    "  --start I --end I  networks to train (-1: none given, the default)\n"
    "Ctrl-C stops at the end of the pass in progress; what was learned is kept.",
    RunTrain};

}  // namespace
