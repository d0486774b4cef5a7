// tarvo-cli samples: turns a folder of game records into training sample
// files in the sample/ folder of the data folder.
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "jobs/sample_generation.h"
#include "jobs/batch_train.h"
#include "cli_command.h"
#include "cli_game.h"
#include "interrupt_watch.h"
#include "number_option.h"
#include "progress_line.h"

namespace {

constexpr int kInterruptedStatus = 130;

// Reads the options; "" when they are good, else the message.
std::string ParseSampleOptions(const std::vector<std::string>& args, std::string& root,
                               CSampleSettings& settings) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--cull-draw") {
      settings.CullDraw = 1;
      continue;
    }
    const bool takesValue = arg == "--min-status-count" || arg == "--min-move-coeff" ||
                            arg == "--max-bytes" || arg == "--test-freq" || arg == "--test-coeff";
    if (takesValue) {
      if (i + 1 >= args.size()) return arg + " needs a value";
      const std::string& text = args[++i];
      bool ok = false;
      if (arg == "--min-status-count") ok = ReadIntOption(text, 0, 1024, settings.MinStatusCount);
      if (arg == "--min-move-coeff") ok = ReadFloatOption(text, 0, 1, settings.MinMoveCoeff);
      if (arg == "--max-bytes") ok = ReadIntOption(text, 1, 2147483647, settings.MaxPatternListBytes);
      if (arg == "--test-freq") ok = ReadIntOption(text, 1, 2147483647, settings.TestOverflowFreq);
      if (arg == "--test-coeff") ok = ReadFloatOption(text, 1e-6, 1, settings.TestOverflowCoeff);
      if (!ok) {
        const char* range = arg == "--min-status-count" ? "0..1024"
                            : arg == "--min-move-coeff" ? "0..1"
                            : arg == "--test-coeff"     ? "above 0, at most 1"
                                                        : "1..2147483647";
        return "bad value '" + text + "' for " + arg + " (" + range + ")";
      }
      continue;
    }
    if (!arg.empty() && arg[0] != '-' && root.empty()) {
      root = arg;
      continue;
    }
    return "unexpected argument '" + arg + "'";
  }
  if (root.empty()) return "expected the folder of game records";
  return {};
}

int RunSamples(const std::vector<std::string>& args) {
  std::string root;
  CSampleSettings settings;
  const std::string problem = ParseSampleOptions(args, root, settings);
  if (!problem.empty()) return CliError("samples: " + problem + " (tarvo-cli samples --help)");
  struct stat info {};
  if (::stat(root.c_str(), &info) != 0)
    return CliError("samples: no such folder or file '" + root + "'");

  auto game = MakeCliGame(false);
  const std::string sampleDir = DefaultSampleDir();
  std::atomic<int> stop {0};
  CInterruptWatch watch([&] {
    std::fprintf(stderr, "\nsamples: stopping; the games taken so far are written\n");
    stop = 1;
  });
  CProgressLine progress("samples");
  settings.StopRequest = &stop;
  settings.OnRecord = [&](int32_t loaded, int32_t offered) {
    progress.Update(offered, std::to_string(loaded) + " games taken");
  };
  CSampleRun run;
  const int result = GenerateSamples(*game, root, "eval", sampleDir, ".sam", settings, &run);
  progress.Finish(run.OfferedCount, std::to_string(run.LoadedCount) + " games taken");

  for (const std::string& path : run.WrittenFiles) std::printf("wrote %s\n", path.c_str());
  int statuses = 0;
  for (int32_t count : run.CategoryCounts) statuses += count;
  std::printf("files=%d games=%d statuses=%d samples=%zu\n", run.OfferedCount, run.LoadedCount,
              statuses, run.WrittenFiles.size());
  if (!run.FailedFiles.empty())
    return CliError("samples: cannot write sample file '" + run.FailedFiles.front() + "'");
  if (!result) {
    if (!run.FailedRecord.empty())
      return CliError("samples: cannot load game record '" + run.FailedRecord +
                      "'; the games taken since the last sample file were not written");
    return CliError("samples: no game taken from '" + root +
                    "' (too short, or culled as drawn or undecided)");
  }
  if (run.Stopped) return kInterruptedStatus;
  return 0;
}

const CliCommand kSamples {
    "samples",
    "DIR [--cull-draw] [--min-status-count N] [--min-move-coeff X] [--max-bytes N] "
    "[--test-freq N] [--test-coeff X]",
    "Turns every game record below DIR (or the one record file DIR) into training samples:\n"
    "each game gives two patterns, its positions as network inputs (as played and mirrored\n"
    "left to right) with the result as the target (red win 0.9, black win 0.1, else 0.5).\n"
    "They are written to new files sample/eval_<time>.sam in the data folder, which\n"
    "'tarvo-cli train' learns from; progress goes to gen_sample_list.txt.\n"
    "  --cull-draw           skip games that are not won by either side\n"
    "  --min-status-count N  skip games of fewer than N moves (default 6)\n"
    "  --min-move-coeff X    leave out this fraction of each game's first moves (0..1, default 0)\n"
    "  --max-bytes N         memory budget of the gathered patterns (default 1073741824)\n"
    "  --test-freq N         test the budget every N patterns (default 1000)\n"
    "  --test-coeff X        write a file when this fraction of the budget is used (default 0.8)\n"
    "A record that cannot be loaded ends the run (named in the message). Ctrl-C stops\n"
    "taking games and writes the ones taken.",
    RunSamples};

}  // namespace
