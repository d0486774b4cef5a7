#include "cli_game.h"

#include <cstdio>

#include "common/int_scan.h"
#include "common/notices.h"

#include "common/text_encoding.h"
#include "game/espeak_voice.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

namespace {

std::unique_ptr<CVoice> NoVoice() { return nullptr; }

}  // namespace

std::unique_ptr<CGame> MakeCliGame(bool withVoice) {
  BuildMoveTables();
  BuildNotationMaps();
  return std::make_unique<CGame>(withVoice ? &CreateEspeakVoice : &NoVoice);
}

std::string ShowText(const std::string& gb2312) { return Gb2312ToUtf8(gb2312); }

const char* ResultText(const CGame& game) {
  if (game.IsRedWin()) return "红先胜";
  if (game.IsDraw()) return "红先和";
  if (game.IsBlackWin()) return "红先负";
  return "";
}

int ParseWholeNumber(const std::string& text, int min, int max, int& value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return 0;
  const char* p = text.data();
  const char* end = p + text.size();
  int32_t read = 0;
  if (!ReadInt32(p, end, read) || p != end || read < min || read > max) return 0;
  value = read;
  return 1;
}

void ShowNoticesOnStandardError() {
  SetNoticeSink([](const CNotice& notice) {
    std::fprintf(stderr, "tarvo-cli: note: %s\n", notice.Text.c_str());
    std::fflush(stderr);
  });
}
