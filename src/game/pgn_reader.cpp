// Reads a PGN file into the game: the tag block, then the moves in Chinese
// notation, each played on the board as it is read, with comments in braces
// (or variations in parentheses) attached to the move before them. Reading
// stops at the first thing that is not a move of the position, and the
// report says where and why.
#include "game/pgn_reader.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "common/text_encoding.h"
#include "common/tick.h"
#include "game/game.h"
#include "game/pgn_move_check.h"
#include "game/pgn_text_file.h"
#include "rules/notation.h"

namespace {

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

void ClearTags(CGame& game) {
  for (const CTagName& tag : kTagNames) (game.*tag.Member).clear();
  game.Result.assign(1, '*');
}

bool IsResult(std::string_view text) {
  return text == "1-0" || text == "0-1" || text == "1/2-1/2" || text == "*";
}

// A result is always one of the four; anything else in the tag reads as
// undecided.
void TidyResult(std::string& result) {
  const size_t first = result.find_first_not_of(" \t");
  const size_t last = result.find_last_not_of(" \t");
  if (first != std::string::npos) result = result.substr(first, last + 1 - first);
  if (!IsResult(result)) result.assign(1, '*');
}

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";  // 　
constexpr std::string_view kEnumerationComma = "\xA1\xA2";  // 、 as in "1、"

// Traditional spellings some files use, with the simplified character the
// notation tables know: 進 後 帥 將 俥 傌.
constexpr std::string_view kTraditional[][2] = {
    {"\xDF\x4D", "\xBD\xF8"}, {"\xE1\xE1", "\xBA\xF3"}, {"\x8E\x9B", "\xCB\xA7"},
    {"\x8C\xA2", "\xBD\xAB"}, {"\x82\x65", "\xB3\xB5"}, {"\x82\xD8", "\xC2\xED"}};

// Walks the move section character by character, GB2312-aware, keeping
// the line number.
class CMoveReader {
 public:
  CMoveReader(CGame& game, std::string_view text, int line, CPgnReadReport& report)
      : Game(game), Text(text), Line(line), Report(report) {}

  void Run() {
    while (At < Text.size() && Report.Stop == CPgnStop::None) {
      const size_t length = GbCharLength(Text, At);
      const std::string_view ch = Text.substr(At, length);
      if (ch == "\n") {
        if (!Token.empty()) return StopAtToken(CPgnStop::UnreadableText);
        ++Line;
        ++At;
      } else if (ch == " " || ch == "\t" || ch == "\r" || ch == "." || ch == kFullWidthSpace) {
        At += length;  // spacing; a move split by a blank still reads
      } else if (ch == "{" || ch == "(") {
        if (!Token.empty()) return StopAtToken(CPgnStop::UnreadableText);
        ReadComment(ch[0]);
      } else if (!Token.empty()) {
        AddToToken(ch);
      } else if (ch == "[") {
        return Stop(CPgnStop::NextGame, Line, "[");
      } else if (StartsResult()) {
        return;  // the game's end; its result comes from the tag only
      } else if ((ch[0] >= '0' && ch[0] <= '9') || ch == kEnumerationComma || ch == "}" ||
                 ch == ")") {
        // Move numbers ("12.", "12、"); a stray closing bracket closes nothing.
        At += length;
      } else {
        TokenLine = Line;
        TokenStart = At;
        AddToToken(ch);
      }
    }
    if (!Token.empty()) StopAtToken(CPgnStop::UnreadableText);
  }

 private:
  void Stop(CPgnStop why, int line, std::string_view token) {
    Report.Stop = why;
    Report.StopLine = line;
    Report.Token = std::string(token);
  }

  // Stops at the token being read, naming it as the file spells it.
  void StopAtToken(CPgnStop why) {
    std::string_view raw = Text.substr(TokenStart, At - TokenStart);
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r'))
      raw.remove_suffix(1);
    Stop(why, TokenLine, raw);
  }

  bool StartsResult() const {
    for (std::string_view result : {"1-0", "0-1", "1/2-1/2", "*"}) {
      if (!Text.substr(At).starts_with(result)) continue;
      const size_t end = At + result.size();
      if (end == Text.size() || Text[end] == ' ' || Text[end] == '\t' || Text[end] == '\r' ||
          Text[end] == '\n')
        return true;
    }
    return false;
  }

  // A half-width digit inside a move (马8进7) stands for the full-width one,
  // a traditional character for its simplified form.
  void AddToToken(std::string_view ch) {
    if (ch.size() == 1 && ch[0] >= '1' && ch[0] <= '9') {
      Token += '\xA3';
      Token += static_cast<char>(0xB0 + (ch[0] - '0'));
    } else {
      std::string_view add = ch;
      for (const auto& pair : kTraditional)
        if (ch == pair[0]) add = pair[1];
      Token += add;
    }
    At += ch.size();
    if (Token.size() < NOTATION_BYTES) return;
    if (Token.size() > NOTATION_BYTES) return StopAtToken(CPgnStop::UnreadableText);
    PlayToken();
    Token.clear();
  }

  void PlayToken() {
    CMove move;
    if (!ParseMove(Game.Position(), Game.RedToMove, Token, move))
      return StopAtToken(CPgnStop::NotAMove);
    if (LeavesKingAttacked(Game.Position(), Game.RedToMove, move))
      return StopAtToken(CPgnStop::KingLeftAttacked);
    if (Game.Record().Current + 1 >= MAX_RECORD_ENTRIES)
      return StopAtToken(CPgnStop::RecordFull);
    // The file's record stands: the repetition rule decides neither the
    // moves read nor the result.
    if (!Game.PlayMove(move, 0, 0)) return StopAtToken(CPgnStop::NotAMove);
    ++Report.Plies;
  }

  // Reads a group from its opening bracket to the matching closing one,
  // over several lines if need be. A brace comment keeps the text between
  // its braces; a group in parentheses (a variation) keeps its parentheses.
  // Line ends become LF. The text joins the comment of the last move read;
  // before the first move it is dropped.
  void ReadComment(char open) {
    const char close = open == '{' ? '}' : ')';
    const int openLine = Line;
    const size_t start = At;
    int depth = 0;
    size_t end = At;
    bool closed = false;
    while (end < Text.size()) {
      const char c = Text[end];
      if (c == open) ++depth;
      if (c == close && --depth == 0) {
        closed = true;
        break;
      }
      if (c == '\n') ++Line;
      end += GbCharLength(Text, end);
    }
    std::string_view body;
    if (open == '{')
      body = Text.substr(start + 1, (closed ? end : Text.size()) - start - 1);
    else
      body = Text.substr(start, (closed ? end + 1 : Text.size()) - start);
    At = closed ? end + 1 : Text.size();
    Attach(body);
    if (!closed) Stop(CPgnStop::UnclosedComment, openLine, Text.substr(start, 1));
  }

  void Attach(std::string_view body) {
    CGameRecord& record = Game.Record();
    if (record.Current < 0) return;
    std::string& comment = record[record.Current].Comment;
    if (!comment.empty()) comment += ' ';
    for (size_t i = 0; i < body.size(); ++i)
      if (!(body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')) comment += body[i];
  }

  CGame& Game;
  std::string_view Text;
  size_t At = 0;
  int Line;
  int TokenLine = 0;
  size_t TokenStart = 0;
  std::string Token;
  CPgnReadReport& Report;
};

// Reads the tag section and the moves of a game text (GB2312 bytes).
int ReadPgnText(CGame& game, std::string_view text, CPgnReadReport& report) {
  ClearTags(game);
  size_t at = 0;
  int line = 1;
  for (;; ++line) {
    if (at >= text.size()) {
      report.Error = "the file ends in its tag section: no line follows the tags";
      return 0;
    }
    const size_t end = text.find('\n', at);
    std::string_view lineText = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (lineText.ends_with('\r')) lineText.remove_suffix(1);
    size_t first = 0;
    while (first < lineText.size() && (lineText[first] == ' ' || lineText[first] == '\t')) ++first;
    if (first >= lineText.size() || lineText[first] != '[') break;
    if (!ReadTag(game, lineText, first)) {
      report.Error = "line " + std::to_string(line) + ": a tag without a name or a pair of double quotes";
      return 0;
    }
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  TidyResult(game.Result);

  if (!game.FEN.empty()) {
    int redToMove = 1;
    const int loaded = game.Position().SetFromFen(game.FEN.c_str(), redToMove);
    game.RedToMove = redToMove;
    if (!loaded) {
      report.Error = "the FEN tag is not a valid position";
      return 0;
    }
  } else {
    game.RedToMove = 1;
    char fen[FEN_BUFFER_SIZE] = {};
    if (!game.Position().SetFromBoard(InitialBoard.data(), 1, fen)) {
      report.Error = "the start position cannot be set";
      return 0;
    }
    game.FEN = fen;
  }
  game.Record().Reset();
  game.Painter.ResetPainter();

  CMoveReader(game, text.substr(at), line, report).Run();
  game.LastMoveTick = GetTick();
  return 1;
}

std::string Describe(const CPgnReadReport& report, bool chinese) {
  char head[96];
  std::snprintf(head, sizeof head, chinese ? "已读入%d步" : "read %d plies", report.Plies);
  if (report.Stop == CPgnStop::None) return head;
  const std::string token = Gb2312ToUtf8(report.Token);
  std::string why;
  switch (report.Stop) {
    case CPgnStop::NotAMove:
      why = chinese ? "“" + token + "”不是该局面的着法" : "'" + token + "' is not a move of the position";
      break;
    case CPgnStop::KingLeftAttacked:
      why = chinese ? "“" + token + "”走后己方将帅受攻击"
                    : "'" + token + "' leaves the mover's king attacked";
      break;
    case CPgnStop::RecordFull:
      why = chinese ? "棋局超过1024步" : "the game is longer than 1,024 plies";
      break;
    case CPgnStop::UnreadableText:
      why = chinese ? "无法识别“" + token + "”" : "cannot read '" + token + "'";
      break;
    case CPgnStop::UnclosedComment:
      why = chinese ? "注释没有结束括号" : "a comment opened there is never closed";
      break;
    case CPgnStop::NextGame:
      why = chinese ? "此处开始另一局的标签，只读入第一局"
                    : "the tags of another game begin there; only the first game is read";
      break;
    case CPgnStop::None:
      break;
  }
  char where[96];
  std::snprintf(where, sizeof where, chinese ? "，第%d行停止：" : "; stopped at line %d: ",
                report.StopLine);
  return head + std::string(where) + why;
}

}  // namespace

int ReadPgnFile(CGame& game, const std::string& path, CPgnReadReport& report) {
  report = CPgnReadReport {};
  std::string text;
  if (!ReadGameTextFile(path, text, report.Error)) return 0;
  return ReadPgnText(game, text, report);
}

std::string DescribeStop(const CPgnReadReport& report) { return Describe(report, false); }

std::string DescribeStopChinese(const CPgnReadReport& report) { return Describe(report, true); }

int CGame::LoadPgn(const std::string& path) {
  CPgnReadReport report;
  return ReadPgnFile(*this, path, report);
}
