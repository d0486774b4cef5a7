// Game collections in ICCS coordinates (the form other xiangqi programs and
// databases export) turned into game files of this program.
#include "pgn_import_iccs.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/file_util.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"

namespace {

struct CIccsGame {
  int Number = 0;  // 1-based, in the order of the input
  std::vector<std::pair<std::string, std::string>> Tags;
  std::vector<std::string> Tokens;  // move text, split at blanks
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// "[Name "value"]" -> name and value; false for anything else.
bool ParseTagLine(std::string_view line, std::string& name, std::string& value) {
  if (line.empty() || line.front() != '[') return false;
  size_t end = 1;
  while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '"') ++end;
  name = std::string(line.substr(1, end - 1));
  const size_t open = line.find('"', end);
  if (name.empty() || open == std::string_view::npos) return false;
  const size_t close = line.find('"', open + 1);
  if (close == std::string_view::npos) return false;
  value = std::string(line.substr(open + 1, close - open - 1));
  return true;
}

bool HasTag(const CIccsGame& game, const std::string& name) {
  for (const auto& tag : game.Tags)
    if (tag.first == name) return true;
  return false;
}

// A game begins at an Event or Game tag line, unless the game being read has
// no moves yet and no such tag (then the line belongs to it).
std::vector<CIccsGame> SplitGames(const std::string& text) {
  std::vector<CIccsGame> games;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    std::string name, value;
    if (ParseTagLine(line, name, value)) {
      const bool opener = name == "Event" || name == "Game";
      if (games.empty() || (opener && (!games.back().Tokens.empty() || HasTag(games.back(), name)))) {
        games.emplace_back();
        games.back().Number = static_cast<int>(games.size());
      }
      games.back().Tags.emplace_back(name, value);
      continue;
    }
    if (games.empty()) {
      games.emplace_back();
      games.back().Number = 1;
    }
    size_t at = 0;
    while (at < line.size()) {
      while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
      size_t stop = at;
      while (stop < line.size() && line[stop] != ' ' && line[stop] != '\t') ++stop;
      if (stop > at) games.back().Tokens.emplace_back(line.substr(at, stop - at));
      at = stop;
    }
  }
  return games;
}

bool IsResultToken(const std::string& token) {
  return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

std::string* TagMember(CGame& game, const std::string& name) {
  if (name == "Game") return &game.Game;
  if (name == "Event") return &game.Event;
  if (name == "Round") return &game.Round;
  if (name == "Date") return &game.Date;
  if (name == "Site") return &game.Site;
  if (name == "RedTeam") return &game.RedTeam;
  if (name == "Red") return &game.Red;
  if (name == "BlackTeam") return &game.BlackTeam;
  if (name == "Black") return &game.Black;
  if (name == "Result") return &game.Result;
  if (name == "ECCO") return &game.ECCO;
  if (name == "Opening") return &game.Opening;
  if (name == "Variation") return &game.Variation;
  if (name == "FEN") return &game.FEN;
  return nullptr;
}

// Plays one game into the game object. Empty text on success, otherwise why
// the game is skipped. A move the repetition rule refuses (the position would
// stand a fourth time since the last capture) ends the game there: the moves
// before it are kept and `cut` says where it stopped.
std::string PlayIccsGame(CGame& game, const CIccsGame& source, std::string& cut) {
  cut.clear();
  std::string fen, result = "*";
  for (const auto& [name, value] : source.Tags) {
    if (name == "FEN") fen = value;
    if (name == "Result") result = value;
  }
  CPosition start;
  int redToMove = 1;
  if (!fen.empty() && !start.SetFromFen(fen.c_str(), redToMove)) return "bad FEN '" + fen + "'";
  if (!game.NewGame(start.Board, redToMove)) return "bad start position";
  for (std::string* tag : {&game.Game, &game.Event, &game.Round, &game.Date, &game.Site,
                           &game.RedTeam, &game.Red, &game.BlackTeam, &game.Black, &game.ECCO,
                           &game.Opening, &game.Variation})
    tag->clear();
  for (const auto& [name, value] : source.Tags)
    if (std::string* member = TagMember(game, name); member && name != "FEN") *member = value;

  bool inComment = false;
  for (std::string token : source.Tokens) {
    if (inComment || token.front() == '{') {
      inComment = token.back() != '}';
      continue;
    }
    // Move numbers, alone ("12.") or glued to the move ("12.h2e2").
    size_t digits = 0;
    while (digits < token.size() && token[digits] >= '0' && token[digits] <= '9') ++digits;
    size_t dots = digits;
    while (dots < token.size() && token[dots] == '.') ++dots;
    if (dots > digits) token.erase(0, dots);
    if (token.empty()) continue;
    if (IsResultToken(token)) {
      result = token;
      continue;
    }
    const int ply = game.Record().Current + 2;
    const std::string where = "illegal move '" + token + "' at ply " + std::to_string(ply);
    CMove move;
    CPosition& position = game.Position();
    const int red = game.RedToMove;
    if (!MoveFromIccs(position, token, move) || PieceSide[move.Piece] != (red ? RED : BLACK) ||
        !IsPseudoLegal(position, red, move))
      return where;
    position.MakeMove(move);
    const bool exposesKing = IsAttackingKing(position, red ? 0 : 1) != 0;
    position.UnmakeMove(move);
    if (exposesKing) return where;
    if (!game.PlayMove(move, 0)) {
      cut = "stopped before ply " + std::to_string(ply) + " '" + token +
            "': the position would stand a fourth time; " + std::to_string(ply - 1) +
            " plies written";
      break;
    }
  }
  game.Result = result;
  return {};
}

}  // namespace

int ImportIccsGames(const std::string& inPath, const std::string& outDir) {
  std::string text;
  if (!ReadWholeFile(inPath, text)) return CliError("pgn import-iccs: cannot read '" + inPath + "'");
  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  if (!std::filesystem::is_directory(outDir))
    return CliError("pgn import-iccs: cannot create the folder '" + outDir + "'");
  const std::string folder = outDir.back() == '/' ? outDir : outDir + "/";

  auto game = MakeCliGame(false);
  game->HumanVsHuman = 1;  // never let the engine answer while a game is set up
  game->SpeakMoves = 0;
  int written = 0, skipped = 0;
  std::string cut;
  for (const CIccsGame& source : SplitGames(text)) {
    const std::string why = PlayIccsGame(*game, source, cut);
    if (!why.empty()) {
      std::printf("game %d: %s, skipped\n", source.Number, why.c_str());
      ++skipped;
      continue;
    }
    char name[32];
    std::snprintf(name, sizeof name, "game%04d.pgn", source.Number);
    if (!game->SavePgn(folder + name)) {
      std::printf("game %d: cannot write '%s%s', skipped\n", source.Number, folder.c_str(), name);
      ++skipped;
      continue;
    }
    if (!cut.empty()) std::printf("game %d: %s\n", source.Number, cut.c_str());
    ++written;
  }
  std::printf("games=%d skipped=%d\n", written, skipped);
  return 0;
}
