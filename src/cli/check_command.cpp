// tarvo-cli check: record checking, every game file of a folder tree played
// on to its end by an outside engine program and written back completed.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_command.h"
#include "jobs/record_checking.h"
#include "interrupt_watch.h"
#include "outside_engine_args.h"
#include "progress_line.h"

namespace {

// Numbers are read whole; their ranges are the job's to check.
constexpr long long kIntMin = -2147483648LL, kIntMax = 2147483647LL;

int ParseCheckOptions(const std::vector<std::string>& args, CRecordCheckValues& values) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const int taken = TakeOutsideEngineArg("check", args, i, values.Outside);
    if (taken < 0) return 1;
    if (taken > 0) continue;
    if (arg == "--keep-decisive") {
      values.KeepDecisive = 1;
      continue;
    }
    if (!arg.empty() && arg[0] != '-' && values.RootDir.empty()) {
      values.RootDir = arg;
      continue;
    }
    if (i + 1 >= args.size() || (arg != "--engine" && arg != "--movetime"))
      return CliError("check: unexpected argument '" + arg + "' (tarvo-cli check --help)");
    const std::string& value = args[++i];
    if (arg == "--engine") {
      values.Outside.Command = value;
    } else if (!ReadIntOption(value, kIntMin, kIntMax, values.Outside.MoveTimeMs)) {
      return CliError("check: --movetime takes a number, not '" + value + "'");
    }
  }
  if (values.RootDir.empty()) return CliError("check: name the folder to check (tarvo-cli check --help)");
  return 0;
}

std::string Summary(const CRecordCheckSummary& summary) {
  return std::to_string(summary.Written) + " written, " + std::to_string(summary.LeftAsTheyWere) +
         " left as they were, " + std::to_string(summary.ResultsChanged) + " results changed";
}

int RunCheck(const std::vector<std::string>& args) {
  CRecordCheckValues values;
  if (ParseCheckOptions(args, values)) return 1;
  if (CJobError error = CheckRecordCheckValues(values)) return CliError("check: " + EnglishMessage(error));

  CJobControl control;
  CInterruptWatch watch([&] { control.RequestStop(); });
  CRecordCheckHooks hooks;
  long long done = 0;
  std::optional<CProgressLine> progress;  // made when the job has counted the files
  hooks.FileDone = [&](const CCheckedFileReport& report) {
    std::printf("%s: %s, %d -> %d moves, %s%s\n", report.Path.c_str(), report.Outcome.c_str(), report.MovesBefore,
                report.MovesAfter, report.Result.c_str(), report.Written ? "" : " (left as it was)");
    std::fflush(stdout);
  };
  control.OnProgress = [&](const CJobProgress& now) {
    done = now.Done;
    if (!progress) progress.emplace("check", now.Total);
    progress->Update(now.Done, Summary(hooks.Summary));
  };
  const CJobError error = RunRecordCheck(values, hooks, control);
  if (!progress) progress.emplace("check", done);
  if (!error || done > 0) progress->Finish(done, Summary(hooks.Summary));
  if (error) return CliError("check: " + EnglishMessage(error));
  return watch.Requested() ? 130 : 0;
}

const CliCommand kCheck {
    "check",
    "DIR [--engine CMD] [--movetime MS] [--keep-decisive] [--engine-option NAME=VALUE]...\n"
    "       [--protocol auto|ucci|uci]",
    "Record checking: every game file (*.pgn) below DIR, in name order, is played on from its\n"
    "last position by an outside xiangqi engine (both sides) until the game ends, 30 s pass\n"
    "without a reply, or it passes 300 moves (an endless game: its \"1-0\" and \"0-1\" become\n"
    "\"1/2-1/2\"); the completed game is written back over the file, its other tags kept. A file\n"
    "that holds more than one game or whose moves stop early, or whose game the engine answers\n"
    "with no move while legal moves exist (an engine fault), is left as it was and reported.\n"
    "A file that does not load as a game ends the check. Ctrl-C stops; the file in hand is left\n"
    "as it was. The closing line counts files written, left as they were, and results changed.\n"
    "  --keep-decisive      a recorded 1-0 or 0-1 stays whatever the play-on gives\n"
    "  --engine CMD         the engine's command line (default /usr/games/fairy-stockfish)\n"
    "  --movetime MS        its thinking time a move (default 1000)" OUTSIDE_ENGINE_ARGS_HELP,
    RunCheck};

}  // namespace
