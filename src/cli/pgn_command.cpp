// tarvo-cli pgn: shows a game file, or turns a collection of games in ICCS
// coordinates into game files of this program.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "game/game_tags.h"
#include "game/pgn_reader.h"
#include "pgn_import_iccs.h"
#include "rules/iccs.h"

namespace {

int ShowPgn(const std::string& path) {
  auto game = MakeCliGame(false);
  CPgnReadReport report;
  if (!ReadPgnFile(*game, path, report)) {
    std::fprintf(stderr, "加载棋谱失败.\n");
    return CliError("pgn show: cannot load '" + path + "': " + DescribeFailure(report));
  }
  for (const CGameTag& tag : kGameTags) {
    const std::string& value = (*game).*tag.Member;
    if (!value.empty()) std::printf("[%s \"%s\"]\n", tag.Name, ShowText(value).c_str());
  }

  const CGameRecord& record = game->Record();
  for (int i = 0; i <= record.Current; ++i) {
    const CRecordEntry& entry = record[i];
    std::printf("%3d.%s %s %s\n", i / 2 + 1, i % 2 == 0 ? "  " : "..",
                ShowText(entry.Notation).c_str(), MoveToIccs(entry.Move).c_str());
    if (!entry.Comment.empty()) std::printf("      {%s}\n", ShowText(entry.Comment).c_str());
  }
  std::printf("plies=%d\n", record.Current + 1);
  std::printf("fen=%s\n", game->Position().Fen(game->RedToMove).c_str());
  std::printf("result=%s\n", ShowText(game->Result).c_str());
  if (!report.Complete()) {
    std::fflush(stdout);
    std::fprintf(stderr, "pgn show: '%s': %s\n", path.c_str(), DescribeStop(report).c_str());
    return 2;
  }
  return 0;
}

int RunPgn(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "show") return ShowPgn(args[1]);
  if (args.size() == 3 && args[0] == "import-iccs") return ImportIccsGames(args[1], args[2]);
  return CliError("pgn: expected 'show FILE' or 'import-iccs IN OUTDIR' (tarvo-cli pgn --help)");
}

const CliCommand kPgn {
    "pgn", "show FILE | import-iccs IN OUTDIR",
    "show: prints a game file's tags, every move (Chinese notation and ICCS), the final FEN\n"
    "and the result. When the moves stop early (a token that is no move of the position,\n"
    "text it cannot read, a comment never closed) it says where and why on standard error\n"
    "and exits with status 2; a file it cannot load at all gives status 1. Game files are\n"
    "GB2312 (GBK) or UTF-8 text of at most 8 MB.\n"
    "import-iccs: writes each game of a text file of games in ICCS coordinates (tag lines,\n"
    "then '1. h2e2 h9g7 2. ...') as its own game file OUTDIR/gameNNNN.pgn (NNNN = the\n"
    "game's number in IN; an existing file of that name is replaced). A game begins at\n"
    "the first tag line after the move text of the one before. The main line and its\n"
    "{comments} are kept, (variations) left out; the moves are kept as played, repeated\n"
    "positions included. Games with an illegal move are reported and skipped; a game\n"
    "longer than 1,024 plies is written up to there and reported. Progress goes to\n"
    "standard error; Ctrl-C stops after the current game (status 130). Exit status 1\n"
    "when no game was imported.",
    RunPgn};

}  // namespace
