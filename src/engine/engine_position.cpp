#include "engine/engine_position.h"

#include <string>

#include "rules/iccs.h"
#include "rules/move_rules.h"
#include "rules/notation.h"

int LoadEnginePosition(CSearchEngine& engine, std::string_view fen, int& redToMove, std::string& error) {
  CPosition position;  // the start position
  int side = 1;
  if (!fen.empty()) {
    const std::string text(fen);
    if (!position.SetFromFen(text.c_str(), side)) {
      error = "invalid FEN: " + text;
      return 0;
    }
  }
  engine.Position = position;
  engine.Record.Reset();
  redToMove = side ? 1 : 0;
  return 1;
}

int IsLegalMove(CPosition& position, int redToMove, const CMove& move) {
  if (!IsPseudoLegal(position, redToMove, move)) return 0;
  position.MakeMove(move);
  const int exposed = IsAttackingKing(position, redToMove ? 0 : 1);
  position.UnmakeMove(move);
  return exposed ? 0 : 1;
}

int PlayEngineMove(CSearchEngine& engine, int& redToMove, std::string_view iccs, std::string& error) {
  CMove move;
  if (!MoveFromIccs(engine.Position, iccs, move)) {
    error = "not a move here: " + std::string(iccs);
    return 0;
  }
  if (!IsLegalMove(engine.Position, redToMove, move)) {
    error = "illegal move: " + std::string(iccs);
    return 0;
  }
  CGameRecord& record = engine.Record;
  if (record.Current + 1 >= MAX_RECORD_ENTRIES) {
    error = "the game record is full";
    return 0;
  }
  CRecordEntry& entry = record[record.Current + 1];
  entry.Clear();
  entry.Move = move;
  FormatMove(engine.Position, move, entry.Notation);
  entry.Depth = -1;
  engine.Position.MakeMove(move);
  ++record.Current;
  record.Length = record.Current + 1;
  redToMove = redToMove ? 0 : 1;
  return 1;
}

int FirstLegalMove(CSearchEngine& engine, int redToMove, CMove& move) {
  CMoveList& list = engine.Generator.AllMoves[0];
  GenerateAllMoves(engine.Position, redToMove, list);
  for (int i = 0; i < list.Count; ++i) {
    if (IsLegalMove(engine.Position, redToMove, list.Moves[i])) {
      move = list.Moves[i];
      return 1;
    }
  }
  return 0;
}

int NullMoveAllowed(const CSearchEngine& engine, int minPieces) {
  return engine.UseNullMove && engine.Position.CountPieces() >= minPieces ? 1 : 0;
}
