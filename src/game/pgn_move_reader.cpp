// The move section of a game file, read character by character (GB2312
// aware, so a second byte that looks like a bracket stays text): moves in
// Chinese notation played on the board, move numbers and spacing passed
// over, comments attached to the move before them.
#include "game/pgn_move_reader.h"

#include "common/text_encoding.h"
#include "game/game.h"
#include "game/pgn_move_check.h"
#include "rules/notation.h"

namespace {

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";  // 　
constexpr std::string_view kEnumerationComma = "\xA1\xA2";  // 、 as in "1、"

// Traditional spellings some files use, with the simplified character the
// notation tables know: 進 後 帥 將 俥 傌.
constexpr std::string_view kTraditional[][2] = {
    {"\xDF\x4D", "\xBD\xF8"}, {"\xE1\xE1", "\xBA\xF3"}, {"\x8E\x9B", "\xCB\xA7"},
    {"\x8C\xA2", "\xBD\xAB"}, {"\x82\x65", "\xB3\xB5"}, {"\x82\xD8", "\xC2\xED"}};

}  // namespace

CMoveReader::CMoveReader(CGame& game, std::string_view text, int line, CPgnReadReport& report)
    : Game(game), Text(text), Line(line), Report(report) {}

void CMoveReader::Run() {
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

void CMoveReader::Stop(CPgnStop why, int line, std::string_view token) {
  Report.Stop = why;
  Report.StopLine = line;
  Report.Token = std::string(token);
}

// Stops at the token being read, naming it as the file spells it.
void CMoveReader::StopAtToken(CPgnStop why) {
  std::string_view raw = Text.substr(TokenStart, At - TokenStart);
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r'))
    raw.remove_suffix(1);
  Stop(why, TokenLine, raw);
}

bool CMoveReader::StartsResult() const {
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
void CMoveReader::AddToToken(std::string_view ch) {
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

void CMoveReader::PlayToken() {
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
void CMoveReader::ReadComment(char open) {
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

void CMoveReader::Attach(std::string_view body) {
  CGameRecord& record = Game.Record();
  if (record.Current < 0) return;
  std::string& comment = record[record.Current].Comment;
  if (!comment.empty()) comment += ' ';
  for (size_t i = 0; i < body.size(); ++i)
    if (!(body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')) comment += body[i];
}
