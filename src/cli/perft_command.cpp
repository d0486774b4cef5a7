// tarvo-cli perft: counts the leaf nodes of the legal-move tree.
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "common/tick.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/perft.h"
#include "rules/position.h"

namespace {

constexpr int kMaxDepth = 20;
constexpr const char* kStartFen = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

// Why a FEN the position refused is wrong, read the way the position reads it.
std::string FenProblem(const std::string& fen) {
  const size_t blank = fen.find(' ');
  if (blank == std::string::npos) return "no blank after the board part (expected e.g. \" w\")";
  int row = 3, col = 3, used[8][2] = {};
  for (size_t i = 0; i < blank; ++i) {
    const char letter = fen[i];
    if (letter == '/') {
      ++row;
      col = 3;
      continue;
    }
    if (row > ROW_BOTTOM) return "more than ten rows";
    if (col > COL_RIGHT) return "row " + std::to_string(row - 2) + " is longer than nine columns";
    if (letter >= '1' && letter <= '9') {
      col += letter - '0';
      continue;
    }
    const char* kinds = "PBANCRK";
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const char alias = upper == 'H' ? 'N' : upper == 'E' ? 'B' : upper;
    int kind = 0;
    for (int k = 0; kinds[k]; ++k)
      if (kinds[k] == alias) kind = k + 1;
    if (kind == 0) return std::string("unknown character '") + letter + "'";
    const int side = std::islower(static_cast<unsigned char>(letter)) ? BLACK : RED;
    const int allowed = KindIdRange[kind][side][1] - KindIdRange[kind][side][0] + 1;
    if (++used[kind][side] > allowed) return std::string("too many pieces '") + letter + "'";
    if (!CanStand[kind][side][SquareOf(row, col)])
      return std::string("piece '") + letter + "' cannot stand on " + SquareToIccs(CSquare {row, col});
    ++col;
  }
  return "not a valid position";
}

bool ParseDepth(const std::string& text, int& depth) {
  if (text.empty() || text.size() > 2) return false;
  for (const char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  depth = std::stoi(text);
  return depth <= kMaxDepth;
}

int RunPerft(const std::vector<std::string>& args) {
  bool divide = false;
  std::vector<std::string> words;
  for (const auto& arg : args) {
    if (arg == "--divide") divide = true;
    else words.push_back(arg);
  }
  if (words.empty()) return CliError("perft: no depth given (tarvo-cli perft --help)");
  int depth = 0;
  if (!ParseDepth(words[0], depth))
    return CliError("perft: bad depth '" + words[0] + "': expected a whole number from 0 to " +
                    std::to_string(kMaxDepth));
  // The FEN may come as one argument or as its blank-separated fields.
  std::string fen;
  for (size_t i = 1; i < words.size(); ++i) fen += (i > 1 ? " " : "") + words[i];
  if (fen.empty()) fen = kStartFen;

  BuildMoveTables();
  CPosition position;
  int redToMove = 1;
  if (!position.SetFromFen(fen.c_str(), redToMove))
    return CliError("perft: bad FEN '" + fen + "': " + FenProblem(fen));

  const uint32_t start = GetTick();
  uint64_t nodes = 0;
  if (divide && depth > 0) {
    CMoveList moves;
    GenerateLegalMoves(position, redToMove, moves);
    for (int i = 0; i < moves.Count; ++i) {
      position.MakeMove(moves.Moves[i]);
      const uint64_t count = Perft(position, redToMove ? 0 : 1, depth - 1);
      position.UnmakeMove(moves.Moves[i]);
      std::printf("%s: %" PRIu64 "\n", MoveToIccs(moves.Moves[i]).c_str(), count);
      nodes += count;
    }
  } else {
    nodes = Perft(position, redToMove, depth);
  }
  const uint32_t ms = GetTick() - start;
  const uint64_t nps = nodes * 1000 / (ms > 0 ? ms : 1);
  std::printf("nodes=%" PRIu64 " ms=%u nps=%" PRIu64 "\n", nodes, ms, nps);
  return 0;
}

const CliCommand kPerft {"perft", "DEPTH [FEN] [--divide]",
                         "Count the leaf nodes of the legal-move tree (start position by default; "
                         "--divide lists each root move in ICCS form with its count)",
                         RunPerft};

}  // namespace
