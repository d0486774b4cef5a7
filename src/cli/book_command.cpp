// tarvo-cli book: builds the opening book from a folder of game records, and
// lists the book's moves for a position.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/dir_list.h"
#include "common/int_scan.h"
#include "engine/engine_position.h"
#include "jobs/book_builder.h"
#include "interrupt_watch.h"
#include "progress_line.h"
#include "rules/iccs.h"
#include "rules/notation.h"

namespace {

// Files under the folder, for the progress total (an unreadable folder counts 0:
// the build itself reports it).
long long CountFiles(const std::string& dir) {
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(dir, entries)) return 0;
  long long count = 0;
  for (const CDirEntry& entry : entries) count += entry.IsDir ? CountFiles(entry.Path) : 1;
  return count;
}

bool ParseWeight(const std::string& text, int32_t& value) {
  const char* p = text.c_str();
  const char* end = p + text.size();
  return ReadInt32(p, end, value) && p == end;
}

int BuildBook(const std::vector<std::string>& args) {
  std::string dir;
  int32_t weights[4] = {4, 3, 1, -1};
  const char* options[4] = {"--min-weight", "--won-weight", "--draw-weight", "--loss-weight"};
  for (size_t i = 1; i < args.size(); ++i) {
    const auto option = std::find(std::begin(options), std::end(options), args[i]);
    if (option != std::end(options)) {
      if (i + 1 >= args.size()) return CliError("book build: " + args[i] + " needs a number");
      if (!ParseWeight(args[i + 1], weights[option - std::begin(options)]))
        return CliError("book build: " + args[i] + " needs a whole number in the 32-bit range, not '" +
                        args[i + 1] + "'");
      ++i;
    } else if (args[i].rfind("--", 0) == 0) {
      return CliError("book build: unknown option '" + args[i] + "' (tarvo-cli book --help)");
    } else if (dir.empty()) {
      dir = args[i];
    } else {
      return CliError("book build: one folder only, got '" + dir + "' and '" + args[i] + "'");
    }
  }
  if (dir.empty()) return CliError("book build: name the folder of game records (tarvo-cli book --help)");
  std::error_code error;
  if (!std::filesystem::is_directory(dir, error)) return CliError("book build: no such folder '" + dir + "'");
  const long long total = CountFiles(dir);
  // An empty tree would replace the book with an empty one.
  if (total == 0) return CliError("book build: no game records in '" + dir + "'");

  auto game = MakeCliGame(false);
  game->HumanVsHuman = 1;
  if (!game->Engine.IsReady()) return CliError("book build: " + game->Engine.NotReadyReason());
  COpeningBook& book = game->Engine.Book;
  CBookBuilder builder(book);

  CProgressLine progress("book build", total);
  builder.OnGameLoaded = [&](long long loaded, size_t nodes, const std::string&) {
    progress.Update(loaded, std::to_string(nodes) + " nodes");
  };
  int built = 0;
  bool stopped = false;
  {
    CInterruptWatch watch([&builder] { builder.Stop = 1; });
    built = builder.LoadDIR(*game, dir, weights[0], weights[1], weights[2], weights[3]);
    stopped = watch.Requested();
  }
  if (!built) {
    // Games loaded before the failure may have shown a progress line: end it.
    if (builder.LoadedCount > 0) progress.Finish(builder.LoadedCount, "failed");
    return CliError("book build: " + builder.BuildError);
  }
  progress.Finish(builder.LoadedCount, std::to_string(book.Nodes.size()) + " nodes after culling");

  if (stopped)
    std::printf("stopped on request after %lld of %lld files; the book so far was culled and saved\n",
                builder.LoadedCount, total);
  std::printf("games=%lld nodes=%zu\n", builder.LoadedCount, book.Nodes.size());
  if (!book.Nodes.empty())
    std::printf("node weights %d..%d\n", builder.CulledMinWeight, builder.CulledMaxWeight);
  std::printf("MinWeight=%d WonWeight=%d DrawWeight=%d LossWeight=%d\n", book.MinWeight, book.WonWeight,
              book.DrawWeight, book.LossWeight);
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
    "creating.txt. One unreadable file fails the build and leaves the book file as it was.\n"
    "Ctrl-C stops after the current game; the book so far is culled and saved.\n"
    "probe: lists the book's moves for the side to move in the start position, or the\n"
    "position of --fen, after the ICCS moves of --moves: one line each, largest weight\n"
    "first, 'ICCS WEIGHT NOTATION'; 'no book moves' when the book has none.",
    RunBook};

}  // namespace
