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
#include "number_option.h"
#include "progress_line.h"

namespace {

constexpr int kInterruptedStatus = 130;

// Reads the options; "" when they are good, else the message. Ranges are
// the job's to check.
std::string ParseSampleOptions(const std::vector<std::string>& args, CSampleSettings& settings) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--cull-draw" || arg == "--leaf") {
      (arg == "--leaf" ? settings.LeafPositions : settings.CullDraw) = 1;
      continue;
    }
    const bool takesValue = arg == "--min-status-count" || arg == "--min-move-coeff" ||
                            arg == "--max-bytes" || arg == "--test-freq" || arg == "--test-coeff" ||
                            arg == "--search-depth" || arg == "--score-weight" || arg == "--score-scale";
    if (takesValue) {
      if (i + 1 >= args.size()) return arg + " needs a value";
      const std::string& text = args[++i];
      bool ok = false;
      if (arg == "--min-status-count") ok = ReadInt32Text(text, settings.MinStatusCount);
      if (arg == "--min-move-coeff") ok = ReadFloatText(text, settings.MinMoveCoeff);
      if (arg == "--max-bytes") ok = ReadInt32Text(text, settings.MaxPatternListBytes);
      if (arg == "--test-freq") ok = ReadInt32Text(text, settings.TestOverflowFreq);
      if (arg == "--test-coeff") ok = ReadFloatText(text, settings.TestOverflowCoeff);
      if (arg == "--search-depth") ok = ReadInt32Text(text, settings.SearchDepth);
      if (arg == "--score-weight") ok = ReadFloatText(text, settings.ScoreWeight);
      if (arg == "--score-scale") ok = ReadFloatText(text, settings.ScoreScale);
      if (!ok) return "'" + text + "' is not a number, for " + arg;
      continue;
    }
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

const CliCommand kSamples {
    "samples",
    "DIR [--cull-draw] [--min-status-count N] [--min-move-coeff X] [--max-bytes N] "
    "[--test-freq N] [--test-coeff X] [--search-depth N [--score-weight X] [--score-scale CP] [--leaf]]",
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
    "  --search-depth N      the piece-value model searches every sampled position N plies\n"
    "                        deep (1..8; default 0, no search)\n"
    "  --score-weight X      every position becomes a pattern of its own whose target is\n"
    "                        (1-X) x the result + X x (0.1 + 0.8 logistic(score / scale)),\n"
    "                        the score the search's, from red's side (0..1, default 0)\n"
    "  --score-scale CP      centipawns to one unit of the logistic (default 400)\n"
    "  --leaf                sample the position at the end of the search's principal line\n"
    "                        instead of the position itself (TD-leaf)\n"
    "A file that is not one whole game is skipped, named and counted (skipped=N). Ctrl-C stops\n"
    "taking games and writes the ones taken.",
    RunSamples};

}  // namespace
