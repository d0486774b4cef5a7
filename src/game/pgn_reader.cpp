// Reads a PGN file into the game: the tag block, then the moves in Chinese
// notation, each played on the board as it is read, with comments in braces
// or parentheses attached to the move before them. Reading stops quietly at
// the first token that is not a move of the position.
#include <cstring>
#include <string>
#include <string_view>

#include "common/file_util.h"
#include "common/text_encoding.h"
#include "common/tick.h"
#include "game/game.h"
#include "rules/notation.h"

namespace {

// One line of the file without its line end; HasLineFeed tells whether a
// line feed ended it (the last line of a file may have none).
struct CLine {
  std::string_view Text;
  bool HasLineFeed = false;
};

// Splits the text into lines, accepting LF and CR LF.
class CLineReader {
 public:
  explicit CLineReader(std::string_view text) : Text(text) {}

  bool Next(CLine& line) {
    if (Pos >= Text.size()) return false;
    const size_t end = Text.find('\n', Pos);
    size_t stop = end == std::string_view::npos ? Text.size() : end;
    line.HasLineFeed = end != std::string_view::npos;
    size_t textEnd = stop;
    if (textEnd > Pos && Text[textEnd - 1] == '\r') --textEnd;
    line.Text = Text.substr(Pos, textEnd - Pos);
    Pos = line.HasLineFeed ? stop + 1 : stop;
    return true;
  }

 private:
  std::string_view Text;
  size_t Pos = 0;
};

// Comment text gathered over one or more lines; text past the buffer's
// capacity is cut, never written past.
class CCommentBuffer {
 public:
  void Append(std::string_view text) {
    const size_t room = COMMENT_BUFFER_SIZE - 1 - Size;
    const size_t n = text.size() < room ? text.size() : room;
    std::memcpy(Bytes + Size, text.data(), n);
    Size += n;
    Bytes[Size] = '\0';
  }
  void Clear() {
    Size = 0;
    Bytes[0] = '\0';
  }
  bool Empty() const { return Size == 0; }
  const char* Data() const { return Bytes; }
  size_t Length() const { return Size; }

 private:
  char Bytes[COMMENT_BUFFER_SIZE] = {};
  size_t Size = 0;
};

enum class CScan { NoComment, Closed, StillOpen };

// Scans a bracket group from `at`. With depth 0 there is a group only when
// the byte at `at` opens one. On closing, `at` is left just after the
// closing bracket.
CScan ScanComment(const CLine& line, size_t& at, char open, char close, int& depth,
                  CCommentBuffer& comment) {
  const std::string_view text = line.Text;
  if (depth <= 0 && (at >= text.size() || text[at] != open)) return CScan::NoComment;
  comment.Append("\t");
  const size_t start = at;
  for (size_t i = at; i < text.size(); ++i) {
    if (text[i] == open) {
      ++depth;
    } else if (text[i] == close) {
      --depth;
      if (depth == 0) {
        comment.Append(text.substr(start, i + 1 - start));
        at = i + 1;
        return CScan::Closed;
      }
    }
  }
  comment.Append(text.substr(start));
  if (line.HasLineFeed) comment.Append("\n");
  at = text.size();
  return CScan::StillOpen;
}

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '.' || (c >= '0' && c <= '9'); }

struct CTagName {
  const char* Name;
  std::string CGame::*Member;
};

// Matched by the beginning of the name, in this order: RedTeam before Red
// and BlackTeam before Black.
constexpr CTagName kTagNames[] = {
    {"Game", &CGame::Game},         {"Event", &CGame::Event},   {"Round", &CGame::Round},
    {"Date", &CGame::Date},         {"Site", &CGame::Site},     {"RedTeam", &CGame::RedTeam},
    {"Red", &CGame::Red},           {"BlackTeam", &CGame::BlackTeam},
    {"Black", &CGame::Black},       {"Result", &CGame::Result}, {"ECCO", &CGame::ECCO},
    {"Opening", &CGame::Opening},   {"Variation", &CGame::Variation},
    {"FEN", &CGame::FEN}};

// Reads one tag line that starts with "[" at `at`. 0 when it has no name or
// no pair of double quotes.
int ReadTag(CGame& game, std::string_view text, size_t at) {
  ++at;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  if (at >= text.size()) return 0;
  const std::string_view name = text.substr(at);
  const size_t open = text.find('"', at);
  if (open == std::string_view::npos) return 0;
  const size_t close = text.find('"', open + 1);
  if (close == std::string_view::npos) return 0;
  const std::string_view value = text.substr(open + 1, close - open - 1);
  for (const CTagName& tag : kTagNames) {
    if (name.starts_with(tag.Name)) {
      game.*tag.Member = std::string(value);
      break;
    }
  }
  return 1;
}

}  // namespace

int CGame::LoadPgn(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return 0;
  // Files saved by other programs are often UTF-8; game text is GB2312 here.
  if (LooksLikeUtf8(text)) text = Utf8ToGb18030(text);

  Game.clear();
  Event.clear();
  Round.clear();
  Date.clear();
  Site.clear();
  RedTeam.clear();
  Red.clear();
  BlackTeam.clear();
  Black.clear();
  Result.assign(1, '*');
  ECCO.clear();
  Opening.clear();
  Variation.clear();
  FEN.clear();

  CLineReader reader(text);
  CLine line;
  for (;;) {
    if (!reader.Next(line)) return 0;  // the file ended inside the tag section
    size_t at = 0;
    while (at < line.Text.size() && (line.Text[at] == ' ' || line.Text[at] == '\t')) ++at;
    if (at >= line.Text.size() || line.Text[at] != '[') break;
    if (!ReadTag(*this, line.Text, at)) return 0;
  }

  if (!FEN.empty()) {
    int redToMove = 1;
    const int loaded = Position().SetFromFen(FEN.c_str(), redToMove);
    RedToMove = redToMove;
    if (!loaded) return 0;
  } else {
    RedToMove = 1;
    char fen[FEN_BUFFER_SIZE] = {};
    if (!Position().SetFromBoard(InitialBoard.data(), 1, fen)) return 0;
    FEN = fen;
  }
  Record().Reset();
  Painter.ResetPainter();

  CCommentBuffer comment;
  int parenDepth = 0;
  int braceDepth = 0;

  // Attaches the gathered comment to the last move read; before the first
  // move it is dropped.
  auto storeComment = [&]() {
    if (comment.Empty()) return;
    CGameRecord& record = Record();
    if (record.Current >= 0) {
      CRecordEntry& entry = record[record.Current];
      std::memcpy(entry.Comment, comment.Data(), comment.Length() + 1);
    }
    comment.Clear();
  };

  bool stop = false;
  do {
    size_t at = 0;
    CScan scan = ScanComment(line, at, '(', ')', parenDepth, comment);
    if (scan == CScan::StillOpen) continue;
    scan = ScanComment(line, at, '{', '}', braceDepth, comment);
    if (scan == CScan::StillOpen) continue;

    storeComment();
    parenDepth = braceDepth = 0;
    int tokenBytes = 0;

    const std::string_view bytes = line.Text;
    while (at < bytes.size() && !stop) {
      const char c = bytes[at];
      if (IsSkipped(c)) {
        ++at;
      } else if (c == '(' || c == '{') {
        const char close = c == '(' ? ')' : '}';
        int& depth = c == '(' ? parenDepth : braceDepth;
        parenDepth = braceDepth = 0;
        depth = 1;
        ++at;
        if (ScanComment(line, at, c, close, depth, comment) == CScan::StillOpen) break;
        // The walk goes on after the closing bracket with the usual skipping.
      } else if ((c == ')' || c == '}') && parenDepth == 0 && braceDepth == 0) {
        // A closing bracket outside any group closes nothing. Counting it as
        // a move byte would shift every later move by one byte, and files
        // written with " { comment }" hold one after each comment.
        ++at;
      } else {
        storeComment();
        parenDepth = braceDepth = 0;
        ++tokenBytes;
        if (tokenBytes == NOTATION_BYTES) {
          const std::string_view token = bytes.substr(at + 1 - NOTATION_BYTES, NOTATION_BYTES);
          CMove move;
          if (!ParseMove(Position(), RedToMove, token, move) || !PlayMove(move, 0)) stop = true;
          tokenBytes = 0;
        }
        ++at;
      }
    }
  } while (!stop && reader.Next(line));
  // A comment after the last move with nothing after it still belongs to that move.
  if (!stop) storeComment();

  LastMoveTick = GetTick();
  return 1;
}
