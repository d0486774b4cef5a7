// tarvo-cli samples: turns a folder of game records into training sample
// files in the sample/ folder of the data folder.
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "jobs/sample_generation.h"
#include "jobs/batch_train.h"
#include "cli_command.h"
#include "cli_game.h"
#include "interrupt_watch.h"
#include "progress_line.h"
#include "sample_options.h"

namespace {

constexpr int kInterruptedStatus = 130;

// Reads the options; "" when they are good, else the message. Ranges are
// the job's to check.
std::string ParseSampleOptions(const std::vector<std::string>& args, CSampleSettings& settings) {
  const CSampleOptionFields fields = SampleOptionFieldsOf(settings);
  for (size_t i = 0; i < args.size(); ++i) {
    std::string problem;
    if (ReadSampleOption(args, i, fields, problem)) {
      if (!problem.empty()) return problem;
      continue;
    }
    const std::string& arg = args[i];
    if (!arg.empty() && arg[0] != '-' && settings.RootDir.empty()) {
      settings.RootDir = arg;
      continue;
    }
    return "unexpected argument '" + arg + "'";
  }
  if (settings.RootDir.empty()) return "expected the folder of game records";
  return {};
}

int RunSamples(const std::vector<std::string>& args) {
  CSampleSettings settings;
  const std::string problem = ParseSampleOptions(args, settings);
  if (!problem.empty()) return CliError("samples: " + problem + " (tarvo-cli samples --help)");

  if (CJobError refusal = CheckSampleJob(settings)) return CliError("samples: " + EnglishMessage(refusal));
  CJobControl control;
  CInterruptWatch watch([&] {
    std::fprintf(stderr, "\nsamples: stopping; the games taken so far are written\n");
    control.RequestStop();
  });
  CProgressLine progress("samples");
  control.OnProgress = [&](const CJobProgress& at) {
    progress.Update(at.Done, std::to_string(at.Wins) + " games taken");
  };
  control.OnNote = [](const std::string& line) { std::fprintf(stderr, "tarvo-cli: %s\n", line.c_str()); };
  CSampleRun run;
  const CJobError error = RunSampleGeneration(settings, control, run);
  progress.Finish(run.OfferedCount, std::to_string(run.LoadedCount) + " games taken");

  for (const std::string& path : run.WrittenFiles) std::printf("wrote %s\n", path.c_str());
  int statuses = 0;
  for (int32_t count : run.CategoryCounts) statuses += count;
  std::printf("files=%d games=%d skipped=%zu statuses=%d samples=%zu\n", run.OfferedCount, run.LoadedCount,
              run.SkippedRecords.size(), statuses, run.WrittenFiles.size());
  if (error) return CliError("samples: " + EnglishMessage(error));
  if (run.Stopped) return kInterruptedStatus;
  return 0;
}

const std::string& SamplesUsage() {
  static const std::string usage = std::string("DIR ") + kSampleOptionsUsage;
  return usage;
}

const std::string& SamplesHelp() {
  static const std::string help = std::string(
      "Turns every game record below DIR (or the one record file DIR) into training samples:\n"
      "each game gives two patterns, its positions as network inputs (as played and mirrored\n"
      "left to right) with the result as the target (red win 0.9, black win 0.1, else 0.5).\n"
      "They are written to new files sample/eval_<time>.sam in the data folder, which\n"
      "'tarvo-cli train' learns from; progress goes to gen_sample_list.txt.\n") +
      kSampleOptionsHelp +
      "A file that is not one whole game is skipped, named and counted (skipped=N). Ctrl-C stops\n"
      "taking games and writes the ones taken.";
  return help;
}

const CliCommand kSamples {"samples", SamplesUsage().c_str(), SamplesHelp().c_str(), RunSamples};

}  // namespace
