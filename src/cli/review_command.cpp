// tarvo-cli review: the engine's verdict on every move of a game.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "engine/score_units.h"
#include "game/pgn_reader.h"
#include "interrupt_watch.h"
#include "jobs/game_review.h"
#include "number_option.h"
#include "progress_line.h"
#include "rules/iccs.h"

namespace {

struct CReviewOptions {
  std::string File;
  std::string WriteTo;  // the reviewed game with its comments, when given
  CReviewSettings Settings;
};

int ParseReviewOptions(const std::vector<std::string>& args, CReviewOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.empty() && arg[0] != '-' && options.File.empty()) {
      options.File = arg;
      continue;
    }
    if (i + 1 >= args.size() || (arg != "--movetime" && arg != "--depth" && arg != "--engine" && arg != "--write"))
      return CliError("review: unexpected argument '" + arg + "' (tarvo-cli review --help)");
    const std::string& value = args[++i];
    if (arg == "--engine") {
      if (value.find_first_not_of(" \t") == std::string::npos) return CliError("review: --engine needs a command");
      options.Settings.EngineCommand = value;
    } else if (arg == "--write") {
      options.WriteTo = value;
    } else if (arg == "--movetime") {
      if (!ReadIntOption(value, 10, 600000, options.Settings.MoveTimeMs))
        return CliError("review: --movetime takes milliseconds from 10 to 600000");
    } else if (!ReadIntOption(value, 1, DEFAULT_MAX_DEPTH, options.Settings.MaxDepth)) {
      return CliError("review: --depth takes plies from 1 to " + std::to_string(DEFAULT_MAX_DEPTH));
    }
  }
  if (options.File.empty()) return CliError("review: name the game file (tarvo-cli review --help)");
  options.Settings.WriteComments = !options.WriteTo.empty();
  return 0;
}

std::string ScoreText(const CReviewScore& score, bool redMoved) {
  const int own = redMoved ? score.RedCentipawns : -score.RedCentipawns;
  if (score.Mate) return (own > 0 ? "M" : "-M") + std::to_string(score.MateMoves);
  return std::to_string(own);
}

void PrintMove(const CMoveReview& move) {
  std::printf("%d %s %s %s %s %d %s", move.Ply, MoveToIccs(move.Played).c_str(), ShowText(move.Notation).c_str(),
              ScoreText(move.Before, move.RedMoved).c_str(), ScoreText(move.After, move.RedMoved).c_str(), move.Loss,
              move.Mark == CReviewMark::None ? "-" : MarkName(move.Mark));
  if (move.Mark != CReviewMark::None && move.Best.IsComplete())
    std::printf(" better=%s %s", MoveToIccs(move.Best).c_str(), ShowText(move.BestNotation).c_str());
  std::printf("\n");
}

int RunReview(const std::vector<std::string>& args) {
  CReviewOptions options;
  if (ParseReviewOptions(args, options)) return 1;
  if (auto error = CheckReviewSettings(options.Settings)) return CliError("review: " + EnglishMessage(error));

  auto game = MakeCliGame(false);
  CPgnReadReport report;
  if (!ReadPgnFile(*game, options.File, report))
    return CliError("review: cannot load '" + options.File + "': " + DescribeFailure(report));
  if (!report.Complete())
    std::fprintf(stderr, "review: '%s': %s; reviewing the moves read\n", options.File.c_str(),
                 DescribeStop(report).c_str());

  CJobControl control;
  CInterruptWatch watch([&] { control.RequestStop(); });
  CProgressLine progress("review", game->Record().Length + 1);
  long long done = 0;
  control.OnProgress = [&](const CJobProgress& now) {
    done = now.Done;
    progress.Update(now.Done, "positions");
  };
  CGameReview review;
  const CJobError error = ReviewGame(*game, options.Settings, control, review);
  progress.Finish(done, "positions");
  if (error) return CliError("review: " + EnglishMessage(error));

  for (const CMoveReview& move : review.Moves) PrintMove(move);
  std::printf("mistakes=%d blunders=%d (red %d/%d, black %d/%d)\n", review.Mistakes[0] + review.Mistakes[1],
              review.Blunders[0] + review.Blunders[1], review.Mistakes[0], review.Blunders[0], review.Mistakes[1],
              review.Blunders[1]);
  std::fflush(stdout);
  if (review.Stopped) return watch.Requested() ? 130 : 1;
  if (!options.WriteTo.empty() && !game->SavePgn(options.WriteTo))
    return CliError("review: cannot write '" + options.WriteTo + "'");
  return 0;
}

const CliCommand kReview {
    "review",
    "FILE [--movetime MS] [--depth N] [--write OUT] [--engine CMD]",
    "Game review: an engine (Tarvo's, or an outside UCI one) searches every position of the game\n"
    "in FILE and prints one line a move:\n"
    "  PLY ICCS NOTATION SCORE_BEFORE SCORE_AFTER LOSS MARK [better=ICCS NOTATION]\n"
    "scores in centipawns from the side that moved (a mate as M<moves>, or -M<moves> when it\n"
    "is mated), BEFORE at the engine's best move and AFTER the move played; LOSS is what the\n"
    "move gave away; MARK is 疑问手 at 100 or more, 败着 at 300 or more, else \"-\", and a marked\n"
    "move names the engine's better one. The last line counts them:\n"
    "  mistakes=<N> blunders=<N> (red <mistakes>/<blunders>, black <mistakes>/<blunders>)\n"
    "Progress goes to standard error; Ctrl-C stops and prints the moves reviewed so far.\n"
    "  --movetime MS  search time a position (default 1000, 10..600000); a played move that is\n"
    "                 not the engine's choice is searched as long again\n"
    "  --depth N      plies a position at most (1..124), for repeatable reviews\n"
    "  --write OUT    also saves the game with the review as comments on the marked moves\n"
    "  --engine CMD   an outside UCI engine's command line, e.g. /usr/games/fairy-stockfish\n"
    "                 (set to the xiangqi variant; scores are its own centipawns)",
    RunReview};

}  // namespace
