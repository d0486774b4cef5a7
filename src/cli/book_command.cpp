// tarvo-cli book: builds the opening book from a folder of game records, and
// lists the book's moves for a position.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/folder_walk.h"
#include "common/int_scan.h"
#include "engine/engine_position.h"
#include "engine/opening_book.h"
#include "jobs/book_build_job.h"
#include "interrupt_watch.h"
#include "progress_line.h"
#include "rules/iccs.h"
#include "rules/notation.h"

namespace {

bool ParseWeight(const std::string& text, int32_t& value) {
  const char* p = text.c_str();
  const char* end = p + text.size();
  return ReadInt32(p, end, value) && p == end;
}

int BuildBook(const std::vector<std::string>& args) {
  CBookBuildSettings settings;
  int32_t* weights[4] = {&settings.MinWeight, &settings.WonWeight, &settings.DrawWeight, &settings.LossWeight};
  const char* options[4] = {"--min-weight", "--won-weight", "--draw-weight", "--loss-weight"};
  for (size_t i = 1; i < args.size(); ++i) {
    const auto option = std::find(std::begin(options), std::end(options), args[i]);
    if (option != std::end(options)) {
      if (i + 1 >= args.size()) return CliError("book build: " + args[i] + " needs a number");
      if (!ParseWeight(args[i + 1], *weights[option - std::begin(options)]))
        return CliError("book build: " + args[i] + " needs a whole number in the 32-bit range, not '" +
                        args[i + 1] + "'");
      ++i;
    } else if (args[i].rfind("--", 0) == 0) {
      return CliError("book build: unknown option '" + args[i] + "' (tarvo-cli book --help)");
    } else if (settings.RootDir.empty()) {
      settings.RootDir = args[i];
    } else {
      return CliError("book build: one folder only, got '" + settings.RootDir + "' and '" + args[i] + "'");
    }
  }
  if (settings.RootDir.empty()) return CliError("book build: name the folder of game records (tarvo-cli book --help)");
  if (CJobError refusal = CheckBookBuildSettings(settings)) return CliError("book build: " + EnglishMessage(refusal));

  CProgressLine progress("book build", CountFilesBelow(settings.RootDir));
  CJobControl control;
  control.OnProgress = [&](const CJobProgress& at) { progress.Update(at.Done, ""); };
  CBookBuildResult result;
  CJobError error;
  {
    CInterruptWatch watch([&control] { control.RequestStop(); });
    error = RunBookBuild(settings, control, result);
  }
  if (result.GamesRead > 0) progress.Finish(result.GamesRead, error ? "failed" : std::to_string(result.NodesKept) + " nodes after culling");
  for (const std::string& skipped : result.SkippedFiles) std::fprintf(stderr, "tarvo-cli: skipped %s\n", skipped.c_str());
  if (error) return CliError("book build: " + EnglishMessage(error) + "; the book was left as it was");

  if (result.Stopped)
    std::printf("stopped on request after %lld games; the book so far was culled and saved\n", result.GamesRead);
  std::printf("games=%lld skipped=%zu nodes=%zu\n", result.GamesRead, result.SkippedFiles.size(), result.NodesKept);
  std::printf("node weights %d..%d\n", result.MinNodeWeight, result.MaxNodeWeight);
  std::printf("MinWeight=%d WonWeight=%d DrawWeight=%d LossWeight=%d\n", settings.MinWeight, settings.WonWeight,
              settings.DrawWeight, settings.LossWeight);
  std::printf("book=%s\n", COpeningBook::DefaultPath().c_str());
  return 0;
}

int ProbeBook(const std::vector<std::string>& args) {
  std::string fen;
  std::vector<std::string> moves;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--fen") {
      if (i + 1 >= args.size()) return CliError("book probe: --fen needs a FEN");
      fen = args[++i];
    } else if (args[i] == "--moves") {
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) moves.push_back(args[++i]);
    } else {
      return CliError("book probe: unexpected '" + args[i] + "' (tarvo-cli book --help)");
    }
  }

  const std::string path = COpeningBook::DefaultPath();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return CliError("book probe: no book file '" + path + "' (build one with 'tarvo-cli book build DIR')");
  auto game = MakeCliGame(false);
  CSearchEngine& engine = game->Engine;
  if (!engine.Book.LoadWarning.empty()) std::fprintf(stderr, "tarvo-cli: %s\n", engine.Book.LoadWarning.c_str());
  int redToMove = 1;
  std::string message;
  if (!LoadEnginePosition(engine, fen, redToMove, message)) return CliError("book probe: " + message);
  for (const std::string& move : moves)
    if (!PlayEngineMove(engine, redToMove, move, message)) return CliError("book probe: " + message);

  // The book's moves of the side to move here, largest weight first; equal
  // weights keep the book's order. Moves that do not fit the position (a
  // book built with other keys) are left out.
  const uint64_t lock = engine.TransTable.LockOf(engine.Position);
  struct CLine {
    int32_t Weight;
    std::string Iccs, Notation;
  };
  std::vector<CLine> lines;
  for (const BookNode& node : engine.Book.Nodes) {
    if (node.LockLo != static_cast<uint32_t>(lock) || node.LockHi != static_cast<int32_t>(lock >> 32)) continue;
    if (node.Piece < 1 || node.Piece > 32 || PieceSide[node.Piece] != (redToMove ? RED : BLACK)) continue;
    CMove move;
    move.Piece = node.Piece;
    move.From = engine.Position.PieceSquare[node.Piece];
    move.To = CSquare {node.ToRow, node.ToCol};
    if (!engine.Position.IsOnBoard(node.Piece) || !IsPlayable(node.ToRow, node.ToCol)) continue;
    move.Captured = engine.Position.Board[move.To.Index()];
    if (!IsLegalMove(engine.Position, redToMove, move)) continue;
    lines.push_back({node.Weight, MoveToIccs(move), ShowText(FormatMove(engine.Position, move))});
  }
  std::stable_sort(lines.begin(), lines.end(), [](const CLine& a, const CLine& b) { return a.Weight > b.Weight; });
  if (lines.empty()) std::printf("no book moves\n");
  for (const CLine& line : lines) std::printf("%s %d %s\n", line.Iccs.c_str(), line.Weight, line.Notation.c_str());
  return 0;
}

int RunBook(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "build") return BuildBook(args);
  if (!args.empty() && args[0] == "probe") return ProbeBook(args);
  return CliError("book: expected 'build DIR ...' or 'probe ...' (tarvo-cli book --help)");
}

const CliCommand kBook {
    "book",
    "build DIR [--min-weight N] [--won-weight N] [--draw-weight N] [--loss-weight N]\n"
    "       tarvo-cli book probe [--fen FEN] [--moves ICCS...]",
    "build: reads every file under DIR (sub-folders too, in byte order of names) as a game\n"
    "record and enters each move for its position, its mirror image and both turned round\n"
    "with colours swapped, weighted by the result (--won-weight for the winner's moves,\n"
    "default 3; --loss-weight for the loser's, default -1; --draw-weight for both sides of\n"
    "a draw or an unfinished game, default 1). Nodes below --min-weight (default 4) are then\n"
    "dropped and the book is written to book/book.tab in the data folder; the log goes to\n"
    "creating.txt. Files that are not one whole game are skipped and named; a build that\n"
    "reads no game, or keeps no node, or cannot write the book, leaves the book as it was.\n"
    "Ctrl-C stops after the current game; the book so far is culled and saved.\n"
    "probe: lists the book's moves for the side to move in the start position, or the\n"
    "position of --fen, after the ICCS moves of --moves: one line each, largest weight\n"
    "first, 'ICCS WEIGHT NOTATION'; 'no book moves' when the book has none.",
    RunBook};

}  // namespace
