#include "scripted_outside_engine.h"

#include "engine/engine_position.h"
#include "rules/iccs.h"
#include "rules/pieces.h"

int CScriptedOutsideEngine::Start(int) {
  ++StartCount;
  Gone = !Answers;
  return Answers ? 1 : 0;
}

int CScriptedOutsideEngine::NewGame(const std::string& fen, COutsideSides sides) {
  if (Gone) return 0;
  ++NewGameCount;
  Fen = fen;
  Sides = sides;
  Moves.clear();
  return 1;
}

bool CScriptedOutsideEngine::ChooseLegalMove(std::string& iccs) {
  CPosition position;
  int red = 1;
  if (!Fen.empty() && !position.SetFromFen(Fen.c_str(), red)) return false;
  if (Fen.empty()) position.SetFromBoard(InitialBoard, 1);
  for (const std::string& text : Moves) {
    CMove move;
    if (!MoveFromIccs(position, text, move)) return false;
    position.MakeMove(move);
    red = 1 - red;
  }
  CMove quiet;
  bool haveQuiet = false;
  const int first = red ? 1 : 17;
  for (int id = first; id < first + 16; ++id) {
    if (!position.IsOnBoard(id)) continue;
    for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
      for (int col = COL_LEFT; col <= COL_RIGHT; ++col) {
        CMove move;
        move.Piece = id;
        move.From = position.PieceSquare[id];
        move.To = CSquare {row, col};
        move.Captured = position.Board[SquareOf(row, col)];
        if (!IsLegalMove(position, red, move)) continue;
        if (move.Captured != 0) {
          iccs = MoveToIccs(move);
          return true;
        }
        if (!haveQuiet) quiet = move, haveQuiet = true;
      }
    }
  }
  if (haveQuiet) iccs = MoveToIccs(quiet);
  return haveQuiet;
}

COutsideAnswer CScriptedOutsideEngine::Reply(int, std::string& iccs, const std::function<bool()>& stop) {
  iccs.clear();
  if (Gone) return COutsideAnswer::Gone;
  ++ReplyCount;
  if (OnReply) OnReply(ReplyCount);
  const CScriptStep step = Step < Script.size() ? Script[Step++] : AfterScript;
  switch (step.Kind) {
    case CScriptStep::Play:
      iccs = step.Text;
      break;
    case CScriptStep::Silent:
      return stop && stop() ? COutsideAnswer::Stopped : COutsideAnswer::TimeOut;
    case CScriptStep::GameOver:
      return COutsideAnswer::GameOver;
    case CScriptStep::Exit:
      Gone = true;
      return COutsideAnswer::Gone;
    case CScriptStep::Legal:
      if (!ChooseLegalMove(iccs)) return COutsideAnswer::GameOver;
      break;
  }
  Moves.push_back(iccs);
  return COutsideAnswer::Move;
}
