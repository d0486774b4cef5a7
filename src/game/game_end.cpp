#include "game/game_end.h"

std::string GameEndReasonText(CGameEnd reason, const std::string& result) {
  const bool redWon = result == "1-0";
  const bool decided = redWon || result == "0-1";
  const bool draw = result == "1/2-1/2";
  const std::string loser = redWon ? "黑方" : "红方";
  const std::string winner = redWon ? "红方" : "黑方";
  switch (reason) {
    case CGameEnd::Checkmate:
      return decided ? loser + "被将死" : "";
    case CGameEnd::Stalemate:
      return decided ? loser + "被困毙 (无子可走)" : "";
    case CGameEnd::Repetition:
      return decided ? loser + "第四次走成同一局面, 判负" : "";
    case CGameEnd::NaturalLimit:
      return draw ? "自然限着: 长时间未吃子" : "";
    case CGameEnd::RecordFull:
      return draw ? "棋谱已满 1024 步" : "";
    case CGameEnd::Resignation:
      return decided ? loser + "认输" : "";
    case CGameEnd::ForcedWin:
      return decided ? winner + "算出杀棋" : "";
    case CGameEnd::TimeForfeit:
      return decided ? loser + "超时" : "";
    case CGameEnd::IllegalMove:
      return decided ? loser + "引擎走出非法着法" : "";
    case CGameEnd::NoMove:
      return decided ? loser + "引擎称无着可走" : "";
    case CGameEnd::NoAnswer:
      return decided ? loser + "引擎未能应着" : "";
    case CGameEnd::None:
      break;
  }
  return {};
}

std::string GameEndMessage(CGameEnd reason, const std::string& result) {
  const char* verdict = result == "1-0"       ? "红胜"
                        : result == "0-1"     ? "黑胜"
                        : result == "1/2-1/2" ? "和棋"
                                              : nullptr;
  if (!verdict) return {};
  const std::string why = GameEndReasonText(reason, result);
  return (why.empty() ? std::string("对局结束") : why) + ", " + verdict;
}
