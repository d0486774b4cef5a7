// tarvo-cli notation: ICCS moves to Chinese notation and back.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "common/text_encoding.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"
#include "rules/move_tables.h"
#include "rules/notation.h"
#include "rules/position.h"

namespace {

// Pseudo-legal and does not leave the mover's own king attacked; plays it if so.
bool PlayIfLegal(CPosition& position, int& redToMove, const CMove& move) {
  if (!IsPseudoLegal(position, redToMove, move)) return false;
  position.MakeMove(move);
  if (IsAttackingKing(position, redToMove ? 0 : 1)) {
    position.UnmakeMove(move);
    return false;
  }
  redToMove = redToMove ? 0 : 1;
  return true;
}

const char* SideName(int redToMove) { return redToMove ? "red" : "black"; }

int RunNotation(const std::vector<std::string>& args) {
  std::string fen;
  bool parse = false;
  std::vector<std::string> moves;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--fen") {
      if (i + 1 >= args.size()) return CliError("notation: --fen needs a FEN");
      fen = args[++i];
    } else if (args[i] == "--parse") {
      parse = true;
    } else {
      moves.push_back(args[i]);
    }
  }
  if (moves.empty()) return CliError("notation: no moves given (tarvo-cli notation --help)");

  BuildMoveTables();
  BuildNotationMaps();
  CPosition position;
  int redToMove = 1;
  if (!fen.empty() && !position.SetFromFen(fen.c_str(), redToMove))
    return CliError("notation: bad FEN '" + fen + "'");

  for (size_t i = 0; i < moves.size(); ++i) {
    const std::string& text = moves[i];
    const std::string where = "move " + std::to_string(i + 1) + " '" + text + "'";
    CMove move;
    if (parse) {
      const std::string gb = LooksLikeUtf8(text) ? Utf8ToGb18030(text) : text;
      if (!ParseMove(position, redToMove, gb, move))
        return CliError("notation: " + where + " names no move for " + SideName(redToMove));
    } else if (!MoveFromIccs(position, text, move)) {
      return CliError("notation: " + where + " is not an ICCS move from an occupied square");
    }
    const std::string notation = FormatMove(position, move);
    if (notation.empty() || !PlayIfLegal(position, redToMove, move))
      return CliError("notation: " + where + " is not legal for " + SideName(redToMove));
    const std::string shown = Gb2312ToUtf8(notation);
    if (parse)
      std::printf("%s %s\n", shown.c_str(), MoveToIccs(move).c_str());
    else
      std::printf("%s %s\n", MoveToIccs(move).c_str(), shown.c_str());
  }
  return 0;
}

const CliCommand kNotation {
    "notation", "[--fen FEN] [--parse] MOVE...",
    "Writes ICCS moves (e.g. h2e2) in Chinese notation, or reads notation back with --parse",
    RunNotation};

}  // namespace
