// Reads a PGN file into the game: the tag block, then the moves (see
// CMoveReader). Reading stops at the first thing that is not a move of the
// position, and the report says where and why.
#include "game/pgn_reader.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/text_encoding.h"
#include "common/tick.h"
#include "game/game.h"
#include "game/game_tags.h"
#include "game/pgn_move_reader.h"
#include "game/pgn_text_file.h"
#include "rules/notation.h"

namespace {

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
  // Matched by the beginning of the name in the table's order, which puts
  // RedTeam before Red and BlackTeam before Black.
  for (const CGameTag& tag : kGameTags) {
    if (name.starts_with(tag.Name)) {
      game.*tag.Member = std::string(value);
      return 1;
    }
  }
  // Kept to be written back: a rewrite loses nothing the file said.
  const size_t nameEnd = std::min(name.find_first_of(" \t\""), name.size());
  if (nameEnd > 0) game.OtherTags.emplace_back(std::string(name.substr(0, nameEnd)), std::string(value));
  return 1;
}

void ClearTags(CGame& game) {
  for (const CGameTag& tag : kGameTags) (game.*tag.Member).clear();
  game.OtherTags.clear();
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

// Reads the tag section and the moves of a game text (GB2312 bytes).
int ReadPgnText(CGame& game, std::string_view text, CPgnReadReport& report) {
  ClearTags(game);
  size_t at = 0;
  int line = 1;
  for (;; ++line) {
    if (at >= text.size()) {
      report.Failure = CPgnFailure::EndsInTags;
      return 0;
    }
    const size_t end = text.find('\n', at);
    std::string_view lineText = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (lineText.ends_with('\r')) lineText.remove_suffix(1);
    size_t first = 0;
    while (first < lineText.size() && (lineText[first] == ' ' || lineText[first] == '\t')) ++first;
    if (first >= lineText.size() || lineText[first] != '[') break;
    if (!ReadTag(game, lineText, first)) {
      report.Failure = CPgnFailure::BadTag;
      report.FailureLine = line;
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
      report.Failure = CPgnFailure::BadFen;
      return 0;
    }
  } else {
    game.RedToMove = 1;
    char fen[FEN_BUFFER_SIZE] = {};
    if (!game.Position().SetFromBoard(InitialBoard.data(), 1, fen)) {
      report.Failure = CPgnFailure::NoStartPosition;
      return 0;
    }
    game.FEN = fen;
  }
  game.Record().Reset();
  game.Clock.Start(CTimeControl {}, true);  // a game read from a file is not timed
  game.NotifyBoardReset();

  // Playing the moves may end the game (a mate on the last move); the result
  // of a file is what its tag says, so the tag's value is put back.
  const std::string tagResult = game.Result;
  CMoveReader(game, text.substr(at), line, report).Run();
  game.Result = tagResult;
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
  if (!ReadGameTextFile(path, text, report.FileError)) {
    report.Failure = CPgnFailure::File;
    return 0;
  }
  return ReadPgnText(game, text, report);
}

std::string DescribeFailure(const CPgnReadReport& report) {
  switch (report.Failure) {
    case CPgnFailure::File: return DescribeGameFileError(report.FileError);
    case CPgnFailure::EndsInTags: return "the file ends in its tag section: no line follows the tags";
    case CPgnFailure::BadTag:
      return "line " + std::to_string(report.FailureLine) + ": a tag without a name or a pair of double quotes";
    case CPgnFailure::BadFen: return "the FEN tag is not a valid position";
    case CPgnFailure::NoStartPosition: return "the start position cannot be set";
    case CPgnFailure::None: break;
  }
  return {};
}

std::string DescribeFailureChinese(const CPgnReadReport& report) {
  switch (report.Failure) {
    case CPgnFailure::File: return DescribeGameFileErrorChinese(report.FileError);
    case CPgnFailure::EndsInTags: return "文件在标签部分就结束了, 标签后没有着法";
    case CPgnFailure::BadTag:
      return "第" + std::to_string(report.FailureLine) + "行: 标签没有名称或缺少成对的双引号";
    case CPgnFailure::BadFen: return "FEN 标签不是有效的局面";
    case CPgnFailure::NoStartPosition: return "无法摆出开局局面";
    case CPgnFailure::None: break;
  }
  return {};
}

std::string DescribeStop(const CPgnReadReport& report) { return Describe(report, false); }

std::string DescribeStopChinese(const CPgnReadReport& report) { return Describe(report, true); }

int CGame::LoadPgn(const std::string& path) {
  CPgnReadReport report;
  return ReadPgnFile(*this, path, report);
}
