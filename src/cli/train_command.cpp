// tarvo-cli train: TD(lambda) training of the evaluation network over the
// sample files, or over game records turned into samples first.
#include <atomic>
#include <optional>
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
#include "sample_options.h"

namespace {

constexpr int kInterruptedStatus = 130;

std::string Rate(double positions, double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f positions/s", seconds > 0 ? positions / seconds : 0.0);
  return text;
}

// Fills the settings from the options; ranges are the job's to check.
std::string ParseTrainOptions(const std::vector<std::string>& args, CTrainParams& p) {
  // The command trains over the sample folder unless --records is given;
  // no range (network 0 on every status), drawn games kept; learning values
  // are the network's own.
  p.FromRecords = false;
  p.CullDraw = 0;
  p.StartTdbpAnnIndex = -1;
  p.EndTdbpAnnIndex = -1;
  p.ThreadCount.reset();
  // The sample options shape the samples made from the records; without
  // --records they would be ignored, so they are refused.
  const CSampleOptionFields sampleFields = SampleOptionFieldsOf(p);
  std::string sampleOption;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string problem;
    if (ReadSampleOption(args, i, sampleFields, problem)) {
      if (!problem.empty()) return problem;
      if (sampleOption.empty()) sampleOption = arg;
      continue;
    }
    if (arg == "--shuffle" || arg == "--adam") {
      (arg == "--shuffle" ? p.Shuffle : p.Adam) = true;
      continue;
    }
    if (i + 1 >= args.size()) return "unexpected argument '" + arg + "'";
    const std::string& text = args[++i];
    bool ok = false;
    int32_t number = 0;
    float real = 0;
    const auto readInt = [&](std::optional<int32_t>& into) {
      ok = ReadInt32Text(text, number);
      if (ok) into = number;
    };
    const auto readFloat = [&](std::optional<float>& into) {
      ok = ReadFloatText(text, real);
      if (ok) into = real;
    };
    if (arg == "--records") {
      p.RootDir = text;
      p.FromRecords = true;
      ok = true;
    } else if (arg == "--max-relearn") {
      ok = ReadInt32Text(text, p.MaxRelearnCount);
    } else if (arg == "--max-learn") {
      readInt(p.MaxLearnCount);
    } else if (arg == "--auto-save") {
      readInt(p.AutoSaveCount);
    } else if (arg == "--threads") {
      readInt(p.ThreadCount);
    } else if (arg == "--alpha") {
      readFloat(p.Alpha);
    } else if (arg == "--lambda") {
      readFloat(p.Lambda);
    } else if (arg == "--alpha-end") {
      readFloat(p.AlphaEnd);
    } else if (arg == "--batch") {
      readInt(p.BatchSize);
    } else if (arg == "--shuffle-seed") {
      // The job checks the range; a value beyond 32 bits is refused here.
      int64_t seed = 0;
      ok = ReadInt64Text(text, seed) && seed >= 0 && seed <= 4294967295LL;
      if (ok) p.ShuffleSeed = static_cast<uint32_t>(seed);
    } else if (arg == "--start" || arg == "--end") {
      ok = ReadInt32Text(text, arg == "--start" ? p.StartTdbpAnnIndex : p.EndTdbpAnnIndex);
    } else {
      return "unexpected argument '" + arg + "'";
    }
    if (!ok) return "'" + text + "' is not a number, for " + arg;
  }
  if (!p.FromRecords && !sampleOption.empty()) return sampleOption + " needs --records DIR";
  return {};
}

int RunTrain(const std::vector<std::string>& args) {
  CTrainParams params;
  const std::string problem = ParseTrainOptions(args, params);
  if (!problem.empty()) return CliError("train: " + problem + " (tarvo-cli train --help)");

  if (CJobError refusal = CheckBatchTrainingSettings(params)) return CliError("train: " + EnglishMessage(refusal));
  auto game = MakeCliGame(false);
  CTdbpAnnList& list = game->Engine.Evaluator.AnnList;
  CJobControl control;
  CInterruptWatch watch([&] {
    std::fprintf(stderr, "\ntrain: stopping at the end of the pass in progress\n");
    control.RequestStop();
    list.SetRunning(0);
  });
  CProgressLine sampling("samples");
  CProgressLine training("train");
  long long positions = 0;
  // The rate of each pass, from its start.
  long long passStartPositions = 0;
  double passStartSeconds = -1;
  double learnStartSeconds = -1;
  params.OnRecord = [&](int32_t loaded, int32_t offered) {
    sampling.Update(offered, std::to_string(loaded) + " games taken");
  };
  params.OnProgress = [&](const CTrainProgress& progress) {
    if (progress.PositionsLearned < positions) passStartPositions = 0;  // a new run of BatchTrain
    positions = progress.PositionsLearned;
    char alpha[32];
    std::snprintf(alpha, sizeof alpha, "%g", static_cast<double>(progress.Alpha));
    const std::string detail = progress.RunName + " pass " + std::to_string(progress.CurrLearnCount) + "/" +
                               std::to_string(progress.MaxLearnCount) + " alpha " + alpha;
    if (learnStartSeconds < 0) learnStartSeconds = passStartSeconds = training.Seconds();
    if (!progress.PassEnded) {
      training.Update(progress.PositionsLearned, detail);
      return;
    }
    const double now = training.Seconds();
    training.ShowNow(progress.PositionsLearned,
                  detail + " done, " + Rate(static_cast<double>(positions - passStartPositions), now - passStartSeconds));
    passStartPositions = positions;
    passStartSeconds = now;
  };
  control.OnNote = [](const std::string& line) { std::fprintf(stderr, "tarvo-cli: %s\n", line.c_str()); };
  CBatchTrainingResult result;
  const CJobError error = RunBatchTraining(list, params, control, result);
  training.Finish(positions, "passes done: " + std::to_string(result.Passes));
  if (params.FromRecords)
    std::printf("records: games=%d skipped=%zu\n", result.Samples.LoadedCount, result.Samples.SkippedRecords.size());
  std::printf("sample files: learned=%d skipped=%d\n", result.Learn.UsableFiles, result.Learn.SkippedFiles);
  if (learnStartSeconds >= 0)
    std::printf("positions: learned=%lld, %s\n", positions,
                Rate(static_cast<double>(positions), training.Seconds() - learnStartSeconds).c_str());
  if (error) return CliError("train: " + EnglishMessage(error));
  // A stop before the first sample file was learned wrote no network.
  if (positions > 0) {
    std::printf("network: %seval000.ann (copy it to %sann/eval000.ann to play with it)\n",
                GetExePath().c_str(), GetExePath().c_str());
    std::printf("log: %straining_eval000_ann.txt\n", GetExePath().c_str());
  }
  if (result.Stopped) return kInterruptedStatus;
  return 0;
}

const std::string& TrainUsage() {
  static const std::string usage =
      std::string("[--records DIR ") + kSampleOptionsUsage +
      "] [--max-relearn N] [--max-learn N] [--auto-save N] [--threads N] "
      "[--alpha X] [--lambda X] [--start I] [--end I] [--shuffle] [--shuffle-seed N] [--alpha-end X] "
      "[--batch N] [--adam]";
  return usage;
}

const std::string& TrainHelp() {
  static const std::string help = std::string(
      "Trains the evaluation network by TD(lambda) over every sample file in sample/ of the\n"
      "data folder; with --records, first turns the game records below DIR into sample files\n"
      "named for DIR, replacing those an earlier --records run over DIR wrote. The network starts from ann/eval000.ann;\n"
      "the trained one is written to eval000.ann in the data folder after every sample file\n"
      "and pass, a snapshot _eval000_<time>_<pass>.ann after the last of the --max-learn\n"
      "passes (or the pass Ctrl-C ends), and a line per pass to training_eval000_ann.txt.\n"
      "ann/eval000.ann itself is never changed. A snapshot due while the disk has less than\n"
      "64 MB free is not written: the run ends there, naming it.\n"
      "Sample options, as 'tarvo-cli samples' takes them; only with --records:\n") +
      kSampleOptionsHelp +
      "Training:\n"
      "  --max-relearn N  outer passes (default 1)\n"
      "  --max-learn N    passes over the sample files (default: the network's, 10000000)\n"
      "  --auto-save N    a snapshot every N passes instead, N kept in the network file\n"
      "                   (default: the network's own value is kept, not used)\n"
      "  --threads N      threads sharing each --batch of games, or per game when one of\n"
      "                   several networks learns (1..64)\n"
      "  --alpha X        learning rate (default: the network's, 0.01)\n"
      "  --lambda X       trace decay, 0..1 (default: the network's, 0.9)\n"
      "  --start I --end I  networks to train (-1: none given, the default)\n"
      "Switches of the single-network run (no --start/--end); left out, training is as without them:\n"
      "  --shuffle        each pass visits the games of all sample files in a random order of\n"
      "                   its own; the network is then written at the end of each pass only\n"
      "  --shuffle-seed N the seed of those orders, 0..4294967295 (default: drawn per run)\n"
      "  --alpha-end X    the learning rate falls geometrically, by the same factor every pass,\n"
      "                   from --alpha at pass 1 to X at the last pass (X above 0); the network\n"
      "                   file keeps --alpha\n"
      "  --batch N        learn N games at a time from the weights before them and apply their\n"
      "                   summed updates once (1..65536; default 1, game by game)\n"
      "  --adam           every weight takes Adam steps of about --alpha (try 0.01) from each\n"
      "                   batch's summed gradient, instead of the plain update; the tiny\n"
      "                   inputs of most pieces make the plain update crawl\n"
      "Progress shows each pass's learning rate and positions learned per second; the last\n"
      "lines give the rate of the whole run.\n"
      "Ctrl-C stops at the end of the pass in progress; what was learned is kept.";
  return help;
}

const CliCommand kTrain {"train", TrainUsage().c_str(), TrainHelp().c_str(), RunTrain};

}  // namespace
