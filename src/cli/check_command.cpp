// tarvo-cli check: record checking, every game file of a folder tree played
// on to its end by an outside engine program and written back completed.
#include <atomic>
#include <cstdio>
#include <string>
#include <filesystem>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/dir_list.h"
#include "jobs/record_checking.h"
#include "jobs/ucci_engine_process.h"
#include "interrupt_watch.h"
#include "outside_engine_args.h"
#include "progress_line.h"

namespace {

struct CCheckOptions {
  std::string Folder;
  COutsideEngineSettings Outside;
};

int ParseCheckOptions(const std::vector<std::string>& args, CCheckOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const int taken = TakeOutsideEngineArg("check", args, i, options.Outside);
    if (taken < 0) return 1;
    if (taken > 0) continue;
    if (!arg.empty() && arg[0] != '-' && options.Folder.empty()) {
      options.Folder = arg;
      continue;
    }
    if (i + 1 >= args.size() || (arg != "--engine" && arg != "--movetime"))
      return CliError("check: unexpected argument '" + arg + "' (tarvo-cli check --help)");
    const std::string& value = args[++i];
    if (arg == "--engine") {
      if (value.find_first_not_of(" \t") == std::string::npos) return CliError("check: --engine needs a command");
      options.Outside.Command = value;
    } else if (!ReadIntOption(value, 1, 3600000, options.Outside.MoveTimeMs)) {
      return CliError("check: --movetime takes milliseconds");
    }
  }
  if (options.Folder.empty()) return CliError("check: name the folder to check (tarvo-cli check --help)");
  return 0;
}

long long CountGameFiles(const std::string& folder) {
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(folder, entries)) return 0;
  long long count = 0;
  for (const CDirEntry& entry : entries)
    count += entry.IsDir ? CountGameFiles(WithTrailingSlash(entry.Path)) : IsGameFileName(entry.Name) ? 1 : 0;
  return count;
}

int RunCheck(const std::vector<std::string>& args) {
  CCheckOptions options;
  if (ParseCheckOptions(args, options)) return 1;
  std::error_code error;
  if (!std::filesystem::is_directory(options.Folder, error))
    return CliError("check: " + options.Folder + " is not a folder");
  const std::string folder = WithTrailingSlash(options.Folder);

  auto game = MakeCliGame(false);
  CInterruptWatch watch([&] { game->CheckingIdle = 1; });

  CUcciEngineProcess outside(options.Outside);
  CRecordCheckValues values;  // 300 moves, 30000 ms, every file
  CRecordCheckHooks hooks;
  long long done = 0, written = 0;
  CProgressLine progress("check", CountGameFiles(folder));
  hooks.FileDone = [&](const CCheckedFileReport& report) {
    ++done;
    if (report.Written) ++written;
    std::printf("%s: %s, %d -> %d moves, %s%s\n", report.Path.c_str(), report.Outcome.c_str(), report.MovesBefore,
                report.MovesAfter, report.Result.c_str(), report.Written ? "" : " (left as it was)");
    std::fflush(stdout);
    progress.Update(done, std::to_string(written) + " written");
  };
  game->CheckingIdle = 0;
  const int result = CheckRecords(*game, outside, folder, values, hooks);
  const bool stopped = game->CheckingIdle.load() != 0;
  game->CheckingIdle = 1;
  if (result || done > 0) progress.Finish(done, std::to_string(written) + " written");
  if (!result) return CliError("check: " + hooks.Error);
  return stopped && watch.Requested() ? 130 : 0;
}

const CliCommand kCheck {
    "check",
    "DIR [--engine CMD] [--movetime MS] [--engine-option NAME=VALUE]... [--protocol auto|ucci|uci]",
    "Record checking: every game file (*.pgn) below DIR, in name order, is played on from its\n"
    "last position by an outside xiangqi engine (both sides) until the game ends, 30 s pass\n"
    "without a reply, or it passes 300 moves (an endless game: its \"1-0\" and \"0-1\" become\n"
    "\"1/2-1/2\"); the completed game is written back over the file. A file that does not load\n"
    "as a game ends the check. Ctrl-C stops; the file in hand is left as it was.\n"
    "  --engine CMD         the engine's command line (default /usr/games/fairy-stockfish)\n"
    "  --movetime MS        its thinking time a move (default 1000)" OUTSIDE_ENGINE_ARGS_HELP,
    RunCheck};

}  // namespace
