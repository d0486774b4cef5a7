#include "game/game_end.h"

std::string GameEndMessage(CGameEnd reason, const std::string& result) {
  const bool redWon = result == "1-0";
  const bool blackWon = result == "0-1";
  const bool draw = result == "1/2-1/2";
  if (!redWon && !blackWon && !draw) return {};
  const std::string verdict = redWon ? "红胜" : blackWon ? "黑胜" : "和棋";
  const std::string loser = redWon ? "黑方" : "红方";
  const std::string winner = redWon ? "红方" : "黑方";
  const bool decided = redWon || blackWon;
  switch (reason) {
    case CGameEnd::Checkmate:
      if (decided) return loser + "被将死, " + verdict;
      break;
    case CGameEnd::Stalemate:
      if (decided) return loser + "被困毙 (无子可走), " + verdict;
      break;
    case CGameEnd::Repetition:
      if (decided) return loser + "第四次走成同一局面, 判负, " + verdict;
      break;
    case CGameEnd::NaturalLimit:
      if (draw) return "自然限着: 长时间未吃子, " + verdict;
      break;
    case CGameEnd::RecordFull:
      if (draw) return "棋谱已满 1024 步, " + verdict;
      break;
    case CGameEnd::Resignation:
      if (decided) return loser + "认输, " + verdict;
      break;
    case CGameEnd::ForcedWin:
      if (decided) return winner + "算出杀棋, " + verdict;
      break;
    case CGameEnd::None:
      break;
  }
  return "对局结束, " + verdict;
}
