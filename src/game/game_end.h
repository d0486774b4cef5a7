#pragma once
// Why a game ended, and the sentence the front ends show for it.
#include <string>

enum class CGameEnd {
  None,          // undecided, or a result set from outside (a file's tag, the options)
  Checkmate,     // the side to move is in check and has no legal move: it loses
  Stalemate,     // the side to move is not in check and has no legal move: it loses
  Repetition,    // the mover would have made a position stand a fourth time: it loses
  NaturalLimit,  // too many plies without a capture: a draw
  RecordFull,    // the record holds its 1024 plies: a draw
  Resignation,   // the side to move resigned
  ForcedWin,     // the computer to move sees a forced win and claims it
  TimeForfeit,   // the side to move used up its time on the clock: it loses
  IllegalMove,   // an outside engine sent a move that cannot be played: its side loses
  NoMove,        // an outside engine said it has no move where the rules see one: its side loses
  NoAnswer,      // an outside engine did not answer in time or went away: its side loses
};

// The reason alone as UTF-8 text for the user, for example "黑方被将死";
// empty for CGameEnd::None, for "*" and for a reason that does not fit the result.
std::string GameEndReasonText(CGameEnd reason, const std::string& result);
// The reason with its result as one UTF-8 sentence, for example
// "黑方被将死, 红胜"; "对局结束, 红胜" without a reason; empty for "*".
std::string GameEndMessage(CGameEnd reason, const std::string& result);
