// tarvo-cli pgn: shows a game file, or turns a collection of games in ICCS
// coordinates into game files of this program.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "pgn_import_iccs.h"
#include "rules/iccs.h"

namespace {

int ShowPgn(const std::string& path) {
  auto game = MakeCliGame(false);
  if (!game->LoadPgn(path)) {
    std::fprintf(stderr, "加载棋谱失败.\n");
    return CliError("pgn show: cannot load '" + path + "'");
  }
  const struct {
    const char* Name;
    const std::string& Value;
  } tags[] = {{"Game", game->Game},       {"Event", game->Event},         {"Round", game->Round},
              {"Date", game->Date},       {"Site", game->Site},           {"RedTeam", game->RedTeam},
              {"Red", game->Red},         {"BlackTeam", game->BlackTeam}, {"Black", game->Black},
              {"Result", game->Result},   {"ECCO", game->ECCO},           {"Opening", game->Opening},
              {"Variation", game->Variation}, {"FEN", game->FEN}};
  for (const auto& tag : tags)
    if (!tag.Value.empty()) std::printf("[%s \"%s\"]\n", tag.Name, ShowText(tag.Value).c_str());

  const CGameRecord& record = game->Record();
  for (int i = 0; i <= record.Current; ++i) {
    const CRecordEntry& entry = record[i];
    std::printf("%3d.%s %s %s\n", i / 2 + 1, i % 2 == 0 ? "  " : "..",
                ShowText(entry.Notation).c_str(), MoveToIccs(entry.Move).c_str());
    if (entry.Comment[0] != '\0') std::printf("      {%s}\n", ShowText(entry.Comment).c_str());
  }
  std::printf("plies=%d\n", record.Current + 1);
  std::printf("fen=%s\n", game->Position().Fen(game->RedToMove).c_str());
  std::printf("result=%s\n", game->Result.c_str());
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
    "and the result. import-iccs: writes each game of a text file of games in ICCS\n"
    "coordinates (tag lines, then '1. h2e2 h9g7 2. ...') as its own game file\n"
    "OUTDIR/gameNNNN.pgn (NNNN = the game's number in IN); games with an illegal move are\n"
    "reported and skipped; a game whose next move would make a position stand a fourth\n"
    "time is reported and written up to that move.",
    RunPgn};

}  // namespace
