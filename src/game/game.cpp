#include "game/game.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "common/tick.h"
#include "game/pgn_move_check.h"
#include "game/game_tags.h"
#include "rules/move_rules.h"
#include "rules/notation.h"

CGame* g_Game = nullptr;

CGame::CGame(CVoiceFactory voiceFactory) : VoiceFactory(voiceFactory) {
  SetDefaults();
  LastMoveTick = GetTick();
  Voice = VoiceFactory ? VoiceFactory() : nullptr;
}

CGame::~CGame() {
  SetDefaults();
  Voice.reset();
}

void CGame::ResetTags(const std::string& red, const std::string& black) {
  // Copies first: a caller may pass this game's own names.
  std::string redName = red, blackName = black;
  for (const CGameTag& tag : kGameTags) (this->*tag.Member).clear();
  Red = std::move(redName);
  Black = std::move(blackName);
  OtherTags.clear();
  Result.assign(1, '*');  // assign(): GCC 12 warns falsely on "*"
}

void CGame::SetDefaults() {
  ResetTags("Player", "Computer");
  NaturalLimitPlies = 80;
  NullMoveMinPieces = 6;
  HumanVsHuman = 0;
  HumanPlaysRed = 1;
  SpeakMoves = 1;
  EditMode = 0;
  TrainingIdle = 1;
  CheckingIdle = 1;
  RedToMove = 1;
}

int CGame::NewGame(const int32_t* board, int redToMove) {
  Result.assign(1, '*');
  RedToMove = redToMove ? 1 : 0;
  char fen[FEN_BUFFER_SIZE] = {};
  if (!Position().SetFromBoard(board, RedToMove, fen)) return 0;
  FEN = fen;
  Record().Reset();
  Clock.Start(TimeControl, RedToMove == 1);
  NotifyBoardReset();
  if (HumanVsHuman == 0 && HumanPlaysRed != RedToMove) {
    if (!ComputerMove()) return 0;
  }
  LastMoveTick = GetTick();
  return 1;
}

void CGame::EndGame(const char* result, CGameEnd reason) {
  Result = result;
  EndCause = reason;
  EndResult = Result;
  EndCurrent = Record().Current;
  EndLength = Record().Length;
  Clock.Stop();
}

CGameEnd CGame::EndReason() const {
  if (Result == "*" || Result != EndResult || Engine.Record.Current != EndCurrent ||
      Engine.Record.Length != EndLength)
    return CGameEnd::None;
  return EndCause;
}

// In xiangqi a side without a legal move loses, in check (mate) or not
// (stalemate). A side that can take the enemy king is left to the engine.
bool CGame::EndIfNoLegalMove() {
  CMoveList scratch;
  if (KingStatus(Position(), RedToMove) != 0 || !HasNoLegalMove(Position(), RedToMove, scratch))
    return false;
  EndGame(RedToMove == 1 ? "0-1" : "1-0",
          IsInCheck(Position(), RedToMove) ? CGameEnd::Checkmate : CGameEnd::Stalemate);
  return true;
}

int CGame::PlayMove(const CMove& move, int announce, int repetitionRule) {
  CGameRecord& record = Record();
  // The next entry's index, not Length: after Undo a full record has room again.
  if (RecordIsFull()) return 0;
  // A file's moves are not timed; a move played after the flag fell is too late.
  if (repetitionRule && CheckFlag()) return 0;

  char notation[NOTATION_BUFFER_SIZE] = {};
  if (!FormatMove(Position(), move, notation)) return 0;

  if (SpeakMoves == 1 && announce == 1) {
    std::string spoken;
    if (!ToSpokenText(notation, spoken)) return 0;
    SpeakText(spoken);
  }

  // The mover would create the same board a fourth time since the last
  // capture and loses, unless it is in check: a side checked again and again
  // is never the one punished (the search refuses such moves the same way).
  if (repetitionRule && !IsInCheck(Position(), RedToMove) &&
      Engine.HistoryRepetitionCount(move) >= 3) {
    EndGame(RedToMove == 1 ? "0-1" : "1-0", CGameEnd::Repetition);
    return 0;
  }

  const uint32_t now = GetTick();
  Position().MakeMove(move);
  CRecordEntry& entry = record[record.Current + 1];
  entry.Move = move;
  std::memcpy(entry.Notation, notation, sizeof notation);
  entry.Comment.clear();
  entry.Depth = -1;
  entry.TimeMs = static_cast<int32_t>(now - LastMoveTick);
  record.Length = record.Current + 2;
  record.Current = record.Current + 1;

  RedToMove = 1 - RedToMove;
  LastMoveTick = now;
  if (repetitionRule) Clock.Moved();
  EndIfNoLegalMove();
  return 1;
}

int CGame::PlayPieceTo(int piece, int row, int col, int announce) {
  LastRefusal = CMoveRefusal::NotPlayed;
  if (piece < 1 || piece > 32 || !IsPlayable(row, col) || PieceSide[piece] != (RedToMove ? RED : BLACK) ||
      !CanMoveTo(Position(), RedToMove, piece, CSquare {row, col}))
    return 0;
  CMove move;
  move.Piece = piece;
  move.Captured = Position().Board[row * 16 + col];
  move.From = Position().PieceSquare[piece];
  move.To = CSquare {row, col};
  if (LeavesKingAttacked(Position(), RedToMove, move)) {
    LastRefusal = CMoveRefusal::LeavesKingAttacked;
    return 0;
  }
  const int played = PlayMove(move, announce);
  LastRefusal = played ? CMoveRefusal::None : CMoveRefusal::NotPlayed;
  return played;
}

int CGame::ComputerMove() {
  const CGameRecord& record = Record();
  int quietPlies = 0;
  for (int i = record.Current; i >= 0 && record[i].Move.Captured == 0; --i) ++quietPlies;
  // A side without a legal move has lost, whatever the engine would report,
  // and a mate on the last allowed ply is still a mate.
  if (EndIfNoLegalMove() || CheckFlag()) return 0;
  if (quietPlies >= NaturalLimitPlies) {
    EndGame("1/2-1/2", CGameEnd::NaturalLimit);
    return 0;
  }
  if (RecordIsFull()) {
    // No move can be recorded any more: the game cannot go on.
    EndGame("1/2-1/2", CGameEnd::RecordFull);
    return 0;
  }

  const int nullAllowed =
      (Engine.UseNullMove && Position().CountPieces() >= NullMoveMinPieces) ? 1 : 0;
  // On a clock the engine thinks for its share of the time it has left.
  const int32_t iterTime = Engine.MaxIterTime, searchTime = Engine.MaxSearchTime;
  if (Clock.Running()) {
    const int64_t budget = EngineMoveTimeMs(Clock.RemainingMs(RedToMove == 1),
                                            int64_t {Clock.Control().IncrementSeconds} * 1000);
    Engine.MaxSearchTime = static_cast<int32_t>(std::min<int64_t>(budget, INT32_MAX));
    Engine.MaxIterTime = std::min(iterTime, Engine.MaxSearchTime / 2);
  }
  const int found = Engine.FindBestMove(RedToMove, nullAllowed);
  Engine.MaxIterTime = iterTime;
  Engine.MaxSearchTime = searchTime;
  const char* sideWins = RedToMove == 1 ? "1-0" : "0-1";
  const char* sideLoses = RedToMove == 1 ? "0-1" : "1-0";
  if (!found) {
    if (Engine.BestScore == MATE_SCORE)
      EndGame(sideWins, CGameEnd::ForcedWin);
    else if (Engine.BestScore == -MATE_SCORE)
      EndGame(sideLoses, CGameEnd::Resignation);
    else
      Result.assign(1, '*');
    return 0;
  }
  if (Engine.BestScore == MATE_SCORE) {
    // The side to move captures the king or mates by force: the game ends
    // without the move.
    EndGame(sideWins, CGameEnd::ForcedWin);
    return 0;
  }
  if (!PlayMove(Engine.BestMove, 1)) return 0;
  CRecordEntry& entry = Record()[Record().Current];
  entry.Depth = Engine.IterDepth;
  entry.TimeMs = static_cast<int32_t>(Engine.Elapsed);
  return 1;
}

int CGame::Undo() {
  CGameRecord& record = Record();
  if (record.Current < 0) return 0;
  Position().UnmakeMove(record[record.Current].Move);
  record.Current = record.Current - 1;
  RedToMove = 1 - RedToMove;
  Clock.SetSideToMove(RedToMove == 1);
  return 1;
}

int CGame::Redo() {
  CGameRecord& record = Record();
  if (record.Current >= record.Length - 1) return 0;
  Position().MakeMove(record[record.Current + 1].Move);
  record.Current = record.Current + 1;
  RedToMove = 1 - RedToMove;
  Clock.SetSideToMove(RedToMove == 1);
  return 1;
}

int CGame::ClearBoard() {
  Result.assign(1, '*');
  Position().Clear();
  Record().Reset();
  Clock.Start(CTimeControl {}, true);  // a set-up position is not timed
  NotifyBoardReset();
  LastMoveTick = GetTick();
  EditMode = 1;
  return 1;
}

int CGame::Forfeit(CGameEnd reason) {
  EndGame(RedToMove == 1 ? "0-1" : "1-0", reason);
  return 1;
}

int CGame::CheckFlag() {
  if (Result != "*" || !Clock.Flagged()) return 0;
  return Forfeit(CGameEnd::TimeForfeit);
}

int CGame::Resign() {
  EndGame(RedToMove == 1 ? "0-1" : "1-0", CGameEnd::Resignation);
  return 1;
}
