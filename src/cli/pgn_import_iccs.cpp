// Game collections in ICCS coordinates (the form other xiangqi programs and
// databases export) turned into game files of this program. The collection
// is read one game at a time, so its size does not matter.
#include "pgn_import_iccs.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli_command.h"
#include "cli_game.h"
#include "common/text_encoding.h"
#include "game/game_tags.h"
#include "game/pgn_move_check.h"
#include "game/pgn_text_file.h"
#include "interrupt_watch.h"
#include "progress_line.h"
#include "rules/iccs.h"

namespace {

// One game of the collection as it stands in the file.
struct CIccsGame {
  int Number = 0;     // 1-based, in the order of the input
  int FirstLine = 0;  // line of the file where the game begins
  std::vector<std::pair<std::string, std::string>> Tags;
  std::string MoveText;  // the lines after the tags, LF-separated
  bool TooLong = false;  // more text than a game file may hold; the rest was not kept
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

// Reads the collection game by game: a game is a tag section and the move
// text after it; the next tag line after move text begins the next game.
// Memory stays bounded by the largest game kept (MAX_GAME_FILE_BYTES).
class CIccsGameSource {
 public:
  explicit CIccsGameSource(FILE* file) : File(file) {}

  bool Next(CIccsGame& game) {
    game = CIccsGame {};
    bool any = false, inMoves = false;
    size_t kept = 0;
    std::string line;
    while (PeekedValid || ReadLine(line)) {
      if (PeekedValid) {
        line.swap(Peeked);
        PeekedValid = false;
      }
      std::string_view text = Trim(line);
      if (LineNumber == 1 && text.starts_with(UTF8_BOM)) text.remove_prefix(UTF8_BOM.size());
      std::string name, value;
      const bool tag = ParseTagLine(text, name, value);
      if (tag && inMoves) {
        Peeked.swap(line);
        PeekedValid = true;
        break;
      }
      if (text.empty() && !any) continue;
      if (!any) {
        any = true;
        game.Number = ++Count;
        game.FirstLine = LineNumber;
      }
      if (!tag && !text.empty()) inMoves = true;
      kept += line.size() + 1;
      if (kept > MAX_GAME_FILE_BYTES) game.TooLong = true;
      if (game.TooLong) continue;
      if (tag) {
        game.Tags.emplace_back(name, value);
      } else {
        game.MoveText.append(text);
        game.MoveText += '\n';
      }
    }
    return any;
  }

  long long BytesRead() const { return Bytes; }
  bool HasNul() const { return SawNul; }

 private:
  // One line without its line feed. Lines are read in pieces, so a line of
  // any length costs no more than the game's limit.
  bool ReadLine(std::string& line) {
    line.clear();
    char buffer[65536];
    bool got = false;
    while (std::fgets(buffer, sizeof buffer, File)) {
      got = true;
      size_t n = std::char_traits<char>::length(buffer);
      // A NUL byte hides the rest of what fgets read (the length stops at
      // it), so the line is damaged: the file is no clean text.
      if (n + 1 < sizeof buffer && buffer[n == 0 ? 0 : n - 1] != '\n' && !std::feof(File))
        SawNul = true;
      Bytes += static_cast<long long>(n);
      const bool end = n > 0 && buffer[n - 1] == '\n';
      if (end) --n;
      if (line.size() <= MAX_GAME_FILE_BYTES) line.append(buffer, n);
      if (end) break;
    }
    if (got) ++LineNumber;
    return got;
  }

  FILE* File;
  int Count = 0;
  int LineNumber = 0;
  long long Bytes = 0;
  bool SawNul = false;
  std::string Peeked;
  bool PeekedValid = false;
};

bool IsResult(std::string_view token) {
  return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

std::string* TagMember(CGame& game, const std::string& name) {
  const CGameTag* tag = FindGameTag(name);
  return tag ? &(game.*tag->Member) : nullptr;
}

// The end of the bracket group that opens at `at` (just past its closing
// bracket), counting nested groups of the same kind and passing over brace
// comments inside a variation; npos when it never closes.
size_t GroupEnd(std::string_view text, size_t at) {
  const char open = text[at], close = open == '{' ? '}' : ')';
  int depth = 0;
  for (size_t i = at; i < text.size(); i += GbCharLength(text, i)) {
    if (open == '(' && text[i] == '{' && i != at) {
      const size_t end = GroupEnd(text, i);
      if (end == std::string_view::npos) return end;
      i = end - 1;  // the loop steps past the closing brace
      continue;
    }
    if (text[i] == open) ++depth;
    if (text[i] == close && --depth == 0) return i + 1;
  }
  return std::string_view::npos;
}

struct CPlayed {
  std::string Skip;       // why the game is skipped; empty when it is written
  std::string Note;       // what the user should know about a written game
  int Variations = 0;     // variations left out (only the main line is kept)
};

// Plays one game into the game object: its tags, its main line with the
// comments attached to the moves before them. The record stands as played:
// no repetition rule cuts it.
CPlayed PlayIccsGame(CGame& game, CIccsGame& source) {
  CPlayed played;
  // Text of other programs is often UTF-8; game text here is GB2312.
  for (auto& [name, value] : source.Tags) ToGameText(value);
  ToGameText(source.MoveText);

  std::string fen, result = "*";
  for (const auto& [name, value] : source.Tags) {
    if (name == "FEN") fen = value;
    if (name == "Result") result = value;
  }
  CPosition start;
  int redToMove = 1;
  if (!fen.empty() && !start.SetFromFen(fen.c_str(), redToMove)) {
    played.Skip = "bad FEN '" + ShowText(fen) + "'";
    return played;
  }
  if (!game.NewGame(fen.empty() ? InitialBoard.data() : start.Board, redToMove)) {
    played.Skip = "bad start position";
    return played;
  }
  for (const CGameTag& tag : kGameTags)
    if (tag.Member != &CGame::Result && tag.Member != &CGame::FEN) (game.*tag.Member).clear();
  for (const auto& [name, value] : source.Tags)
    if (std::string* member = TagMember(game, name); member && name != "FEN" && name != "Result")
      *member = value;

  const std::string_view text = source.MoveText;
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++at;
      continue;
    }
    if (c == '{' || c == '(') {
      const size_t end = GroupEnd(text, at);
      if (end == std::string_view::npos) {
        played.Skip = std::string(c == '{' ? "a comment" : "a variation") + " is never closed";
        return played;
      }
      if (c == '(') {
        ++played.Variations;
      } else if (game.Record().Current >= 0) {
        std::string& comment = game.Record()[game.Record().Current].Comment;
        if (!comment.empty()) comment += ' ';
        comment.append(text.substr(at + 1, end - at - 2));
      }
      at = end;
      continue;
    }
    size_t stop = at;
    while (stop < text.size() && text[stop] != ' ' && text[stop] != '\t' && text[stop] != '\n' &&
           text[stop] != '{' && text[stop] != '(')
      stop += GbCharLength(text, stop);
    std::string token(text.substr(at, stop - at));
    at = stop;
    if (IsResult(token)) {
      result = token;
      break;  // the game's end
    }
    // Move numbers, alone ("12.", "12...") or glued to the move ("12.h2e2").
    size_t digits = 0;
    while (digits < token.size() && token[digits] >= '0' && token[digits] <= '9') ++digits;
    size_t dots = digits;
    while (dots < token.size() && token[dots] == '.') ++dots;
    if (digits > 0 && dots > digits) token.erase(0, dots);
    if (token.empty()) continue;

    const int ply = game.Record().Current + 2;
    CMove move;
    CPosition& position = game.Position();
    const int red = game.RedToMove;
    if (!MoveFromIccs(position, token, move) || PieceSide[move.Piece] != (red ? RED : BLACK) ||
        !IsPseudoLegal(position, red, move) || LeavesKingAttacked(position, red, move)) {
      played.Skip = "illegal move '" + ShowText(token) + "' at ply " + std::to_string(ply);
      return played;
    }
    if (game.Record().Current + 1 >= MAX_RECORD_ENTRIES) {
      played.Note = "longer than " + std::to_string(MAX_RECORD_ENTRIES) +
                    " plies, the most a game holds; the first " +
                    std::to_string(MAX_RECORD_ENTRIES) + " written";
      break;
    }
    if (!game.PlayMove(move, 0, 0)) {
      played.Skip = "move '" + token + "' at ply " + std::to_string(ply) + " refused";
      return played;
    }
  }
  game.Result = IsResult(Trim(result)) ? std::string(Trim(result)) : std::string(1, '*');
  return played;
}

std::atomic<bool> g_StopImport {false};

}  // namespace

int ImportIccsGames(const std::string& inPath, const std::string& outDir) {
  std::string error;
  const int fd = OpenRegularFile(inPath, error);
  if (fd < 0) return CliError("pgn import-iccs: cannot read '" + inPath + "': " + error);
  FILE* input = ::fdopen(fd, "rb");
  if (!input) {
    ::close(fd);
    return CliError("pgn import-iccs: cannot read '" + inPath + "'");
  }
  std::error_code ec;
  const auto size = std::filesystem::file_size(inPath, ec);
  const long long inputSize = ec ? 0 : static_cast<long long>(size);
  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir)) {
    std::fclose(input);
    return CliError("pgn import-iccs: cannot create the folder '" + outDir + "'");
  }
  const std::string folder = outDir.back() == '/' ? outDir : outDir + "/";

  auto game = MakeCliGame(false);
  game->HumanVsHuman = 1;  // never let the engine answer while a game is set up
  game->SpeakMoves = 0;
  g_StopImport = false;
  CInterruptWatch watch([] { g_StopImport = true; });
  CProgressLine progress("import-iccs", 0);

  CIccsGameSource source(input);
  CIccsGame iccs;
  int written = 0, skipped = 0, replaced = 0, variations = 0, games = 0;
  std::string writeError;  // a folder that takes no file takes none of the next either
  while (!g_StopImport && writeError.empty() && source.Next(iccs)) {
    ++games;
    const std::string where =
        "game " + std::to_string(iccs.Number) + " (line " + std::to_string(iccs.FirstLine) + ")";
    CPlayed played;
    if (iccs.TooLong)
      played.Skip = std::string("longer than ") + MAX_GAME_FILE_TEXT;
    else
      played = PlayIccsGame(*game, iccs);
    if (played.Skip.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "game%04d.pgn", iccs.Number);
      const std::string path = folder + name;
      const bool existed = std::filesystem::exists(path, ec);
      if (game->SavePgn(path)) {
        ++written;
        replaced += existed ? 1 : 0;
        variations += played.Variations;
        if (!played.Note.empty()) std::printf("%s: %s\n", where.c_str(), played.Note.c_str());
      } else {
        writeError = "cannot write '" + path + "'";
        --games;  // not done: the import stops before it
        break;
      }
    }
    if (!played.Skip.empty()) {
      std::printf("%s: %s, skipped\n", where.c_str(), played.Skip.c_str());
      ++skipped;
    }
    std::fflush(stdout);
    const long long percent = inputSize > 0 ? source.BytesRead() * 100 / inputSize : 100;
    progress.Update(games, std::to_string(percent) + "% of the file");
  }
  progress.Finish(games, std::to_string(written) + " written");
  const bool nul = source.HasNul();
  std::fclose(input);

  if (nul) std::printf("warning: '%s' holds NUL bytes: it may not be a text file\n", inPath.c_str());
  if (variations > 0)
    std::printf("variations left out (only main lines are kept): %d\n", variations);
  if (replaced > 0) std::printf("files replaced in '%s': %d\n", folder.c_str(), replaced);
  std::printf("games=%d skipped=%d\n", written, skipped);
  std::fflush(stdout);
  if (!writeError.empty())
    return CliError("pgn import-iccs: " + writeError + " (disk full or no permission?); stopped");
  if (g_StopImport) {
    std::fprintf(stderr, "pgn import-iccs: stopped on request after %d games\n", games);
    return 130;
  }
  if (written == 0)
    return CliError(games == 0 ? "pgn import-iccs: no game found in '" + inPath + "'"
                               : "pgn import-iccs: no game imported from '" + inPath + "'");
  return 0;
}
