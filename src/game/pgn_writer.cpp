// Writes the game as a PGN file: the fourteen tag lines, the moves in Chinese
// notation two full moves a line, comments in braces, the result on its own
// line. Line ends are CR LF. The file is written beside its target and renamed
// over it only when complete, so a failed save leaves the old file untouched.
#include <cstdio>
#include <string>

#include "common/file_util.h"
#include "game/game.h"

namespace {

// Appends text, turning every line feed into CR LF.
void AppendText(std::string& out, const char* text) {
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') out += '\r';
    out += *p;
  }
}

void AppendTag(std::string& out, const char* name, const std::string& value) {
  out += '[';
  out += name;
  out += " \"";
  AppendText(out, value.c_str());
  out += "\"]\r\n";
}

}  // namespace

int CGame::SavePgn(const std::string& path) {
  std::string text;
  text.reserve(4096);
  text += "[Game \"Chinese Chess\"]\r\n";
  AppendTag(text, "Event", Event);
  AppendTag(text, "Round", Round);
  AppendTag(text, "Date", Date);
  AppendTag(text, "Site", Site);
  AppendTag(text, "RedTeam", RedTeam);
  AppendTag(text, "Red", Red);
  AppendTag(text, "BlackTeam", BlackTeam);
  AppendTag(text, "Black", Black);
  AppendTag(text, "Result", Result);
  AppendTag(text, "ECCO", ECCO);
  AppendTag(text, "Opening", Opening);
  AppendTag(text, "Variation", Variation);
  AppendTag(text, "FEN", FEN);

  const CGameRecord& record = Record();
  for (int i = 0; i <= record.Current; ++i) {
    const CRecordEntry& entry = record[i];
    if (i % 4 == 0) text += "\r\n";
    if (i % 2 == 0) {
      char number[16];
      std::snprintf(number, sizeof number, " %3d.", i / 2 + 1);
      text += number;
    }
    if (entry.Notation[0] == '\0') return 0;  // nothing written: the old file stays
    text += ' ';
    AppendText(text, entry.Notation);
    if (entry.Comment[0] != '\0') {
      text += " { ";
      AppendText(text, entry.Comment);
      text += " }";
    }
  }
  text += "\r\n";
  AppendText(text, Result.c_str());
  text += "\r\n";

  CAtomicFile file;
  FILE* stream = file.Open(path, "wb");
  if (!stream) return 0;
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) return 0;
  return file.Commit();
}
