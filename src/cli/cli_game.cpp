#include "cli_game.h"

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
