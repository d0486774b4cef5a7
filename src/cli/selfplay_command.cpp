// tarvo-cli selfplay: two configurations of this program's engine play each
// other and every finished game is written as a PGN record.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "interrupt_watch.h"
#include "jobs/selfplay_job.h"
#include "number_option.h"
#include "progress_line.h"

namespace {

// Numbers are read whole; their ranges are the job's to check.
constexpr long long kIntMin = -2147483648LL, kIntMax = 2147483647LL;

int ParseSelfPlayOptions(const std::vector<std::string>& args, CSelfPlaySettings& s) {
  const struct {
    const char* Option;
    int32_t* Value;
  } counts[] = {{"--games", &s.Games},         {"--a-depth", &s.A.Depth},
                {"--b-depth", &s.B.Depth},     {"--a-nodes", &s.A.Nodes},
                {"--b-nodes", &s.B.Nodes},     {"--movetime", &s.MoveTime},
                {"--random-plies", &s.RandomPlies}, {"--max-plies", &s.MaxPlies},
                {"--min-delta-piece-count", &s.MinDeltaPieceCount}, {"--threads", &s.Threads}};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      if (!s.OutDir.empty()) return CliError("selfplay: unexpected argument '" + arg + "' (tarvo-cli selfplay --help)");
      s.OutDir = arg;
      continue;
    }
    if (i + 1 >= args.size()) return CliError("selfplay: " + arg + " needs a value (tarvo-cli selfplay --help)");
    const std::string& value = args[++i];
    bool known = false, read = true;
    for (const auto& count : counts)
      if (arg == count.Option) known = true, read = ReadIntOption(value, kIntMin, kIntMax, *count.Value);
    if (known) {
      if (!read) return CliError("selfplay: " + arg + " takes a number, not '" + value + "'");
    } else if (arg == "--a-eval" || arg == "--b-eval") {
      if (value != "default" && value != "ann")
        return CliError("selfplay: " + arg + " takes default or ann, not '" + value + "'");
      (arg == "--a-eval" ? s.A : s.B).EvalModel = value == "ann" ? 1 : 0;
    } else if (arg == "--seed") {
      if (!ReadInt64Text(value, s.Seed)) return CliError("selfplay: --seed takes a number, not '" + value + "'");
    } else {
      return CliError("selfplay: unexpected argument '" + arg + "' (tarvo-cli selfplay --help)");
    }
  }
  if (s.OutDir.empty()) return CliError("selfplay: the output folder OUTDIR is missing (tarvo-cli selfplay --help)");
  return 0;
}

std::string Tally(const CJobProgress& progress) {
  char text[64];
  std::snprintf(text, sizeof text, "A +%d =%d -%d", progress.Wins, progress.Draws, progress.Losses);
  return text;
}

double GamesPerHour(int games, double seconds) { return seconds > 0 ? games * 3600.0 / seconds : 0.0; }

int RunSelfPlayCommand(const std::vector<std::string>& args) {
  CSelfPlaySettings settings;
  if (ParseSelfPlayOptions(args, settings)) return 1;
  if (CJobError error = CheckSelfPlaySettings(settings)) return CliError("selfplay: " + EnglishMessage(error));

  CJobControl control;
  CInterruptWatch watch([&] { control.RequestStop(); });
  CSelfPlayRun run;
  CJobProgress last;
  bool started = false;
  long long startDone = 0;
  CProgressLine line("selfplay", 0);
  control.OnProgress = [&](const CJobProgress& now) {
    if (!started) {
      started = true;
      startDone = now.Done;
      std::printf("selfplay: seed %lld, %lld of %lld games in %s, %d threads\n", static_cast<long long>(settings.Seed),
                  now.Done, now.Total, settings.OutDir.c_str(), settings.Threads);
      std::fflush(stdout);
    }
    last = now;
    const int played = static_cast<int>(now.Done - startDone);
    char detail[160];
    std::snprintf(detail, sizeof detail, "%lld/%lld in folder, %s, %.0f games/h", now.Done, now.Total,
                  Tally(now).c_str(), GamesPerHour(played, line.Seconds()));
    line.Update(played, detail);
  };

  const CJobError error = RunSelfPlay(settings, control, run);
  if (error) return CliError("selfplay: " + EnglishMessage(error));
  const double perHour = GamesPerHour(run.Played, line.Seconds());
  line.Finish(run.Played, Tally(last));
  if (watch.Requested())
    std::printf("selfplay: stopped, %d unfinished games dropped (a new run plays them)\n", run.Dropped);
  std::printf("games=%lld played=%d a_wins=%d draws=%d a_losses=%d games_per_hour=%.0f\n", last.Done, run.Played,
              last.Wins, last.Draws, last.Losses, perHour);
  return watch.Requested() ? 130 : 0;
}

const CliCommand kSelfPlay {
    "selfplay",
    "OUTDIR [--games N] [--a-eval default|ann] [--b-eval default|ann] [--a-depth N] [--b-depth N]\n"
    "       [--a-nodes N] [--b-nodes N] [--movetime MS] [--random-plies N] [--max-plies N]\n"
    "       [--min-delta-piece-count N] [--seed S] [--threads N]",
    "Plays games between two configurations of this program's engine, A and B, and writes\n"
    "each finished game to OUTDIR as selfplay_<number>.pgn (six digits), with its result and\n"
    "a Termination tag. A is red in odd games, black in even ones. OUTDIR is made when missing;\n"
    "the run plays only the games OUTDIR still lacks, so a stopped run is resumed by starting it\n"
    "again. Records are written under a temporary name and renamed, so only whole games appear.\n"
    "  --games N            the games OUTDIR is to hold (default 1000)\n"
    "  --a-eval, --b-eval   evaluation: default (piece values, the default) or ann (the network)\n"
    "  --a-depth, --b-depth search depth a move (default 3)\n"
    "  --a-nodes, --b-nodes node limit a move (default 0: none)\n"
    "  --movetime MS        time limit a move for both (default 0: none; games then vary by speed)\n"
    "  --random-plies N     the first N plies are random: a book move, chosen by its weight, where\n"
    "                       the opening book knows the position, else any legal move (default 8)\n"
    "  --max-plies N        a game reaching N plies is decided by material: a side with at least\n"
    "                       --min-delta-piece-count + 1 pieces more wins, else a draw (defaults 300, 3)\n"
    "  --seed S             0..4294967295; game n's random plies depend on S and n only, so a\n"
    "                       seed repeats the games (default: from the clock)\n"
    "  --threads N          games played at once, one a thread (default: the cores, 1..64)\n"
    "Otherwise the game's rules end a game: mate, no legal move, repetition, the capture-free\n"
    "limit (80 plies), or a forced win the engine to move claims.\n"
    "Progress goes to standard error. The last line on standard output is\n"
    "  games=N played=P a_wins=W draws=D a_losses=L games_per_hour=G\n"
    "with N the games in OUTDIR and W/D/L counted over them from A's side; P and G are this run's.\n"
    "Ctrl-C stops at once: games in progress are dropped, not written (exit status 130).",
    RunSelfPlayCommand};

}  // namespace
