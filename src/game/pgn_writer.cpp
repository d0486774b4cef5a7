// Writes the game as a PGN file: the fourteen tag lines and any other tags read, the moves in Chinese
// notation two full moves a line, comments in braces, the result on its own
// line. Line ends are CR LF. The file is written beside its target and renamed
// over it only when complete, so a failed save leaves the old file untouched.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_util.h"
#include "common/text_encoding.h"
#include "game/game.h"
#include "game/game_tags.h"

namespace {

// A tag value ends at its closing double quote and at its line: a quote
// becomes an apostrophe and a line break a blank, so the line reads back.
void AppendTag(std::string& out, const char* name, const std::string& value) {
  out += '[';
  out += name;
  out += " \"";
  for (char c : value) out += c == '"' ? '\'' : (c == '\r' || c == '\n') ? ' ' : c;
  out += "\"]\r\n";
}

// The comment between braces exactly as the reader gives it back: its text
// as it stands, line breaks as CR LF. A brace that has no partner inside the
// text would end the comment early or swallow the moves after it; it is
// written as the full-width brace instead.
void AppendComment(std::string& out, std::string_view comment) {
  // Pair the braces first, outside-in, as the reader counts them.
  std::string text(comment);
  std::vector<size_t> open;
  std::vector<size_t> unpaired;
  for (size_t i = 0; i < text.size(); i += GbCharLength(text, i)) {
    if (text[i] == '{') open.push_back(i);
    if (text[i] == '}') {
      if (open.empty())
        unpaired.push_back(i);
      else
        open.pop_back();
    }
  }
  unpaired.insert(unpaired.end(), open.begin(), open.end());
  std::vector<bool> full(text.size(), false);
  for (size_t i : unpaired) full[i] = true;

  out += " {";
  for (size_t i = 0; i < text.size(); ++i) {
    if (full[i]) {
      out += text[i] == '{' ? "\xA3\xFB" : "\xA3\xFD";  // ｛ ｝
    } else if (text[i] == '\n') {
      if (i == 0 || text[i - 1] != '\r') out += '\r';
      out += '\n';
    } else {
      out += text[i];
    }
  }
  out += '}';
}

const std::string kGameName = "Chinese Chess";

bool IsResult(const std::string& result) {
  return result == "1-0" || result == "0-1" || result == "1/2-1/2" || result == "*";
}

}  // namespace

int CGame::PgnText(std::string& text) const {
  // Anything but the four results would be read back as moves or junk.
  const std::string result = IsResult(Result) ? Result : std::string(1, '*');
  text.clear();
  text.reserve(4096);
  for (const CGameTag& tag : kGameTags) {
    // Every file this program writes names its game the same way.
    const std::string& value = tag.Member == &CGame::Game     ? kGameName
                               : tag.Member == &CGame::Result ? result
                                                              : this->*tag.Member;
    AppendTag(text, tag.Name, value);
  }
  for (const auto& [name, value] : OtherTags) AppendTag(text, name.c_str(), value);

  const CGameRecord& record = Engine.Record;
  for (int i = 0; i <= record.Current; ++i) {
    const CRecordEntry& entry = record[i];
    if (i % 4 == 0) text += "\r\n";
    if (i % 2 == 0) {
      char number[16];
      std::snprintf(number, sizeof number, " %3d.", i / 2 + 1);
      text += number;
    }
    if (entry.Notation[0] == '\0') return 0;
    text += ' ';
    text += entry.Notation;
    // c_str(): text after a stray NUL byte is no part of the comment.
    if (entry.Comment[0] != '\0') AppendComment(text, entry.Comment.c_str());
  }
  text += "\r\n";
  text += result;
  text += "\r\n";
  return 1;
}

int CGame::SavePgn(const std::string& path) {
  std::string text;
  if (!PgnText(text)) return 0;  // nothing written: the old file stays
  CAtomicFile file;
  FILE* stream = file.Open(path, "wb");
  if (!stream) return 0;
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) return 0;
  return file.Commit();
}
