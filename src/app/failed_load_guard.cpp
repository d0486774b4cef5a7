#include "app/failed_load_guard.h"

#include <algorithm>

#include "game/game.h"

std::array<std::string*, CFailedLoadGuard::TAG_COUNT> CFailedLoadGuard::Tags(CGame& game) {
  return {&game.Game,      &game.Event, &game.Round,  &game.Date,   &game.Site,
          &game.RedTeam,   &game.Red,   &game.BlackTeam, &game.Black, &game.Result,
          &game.ECCO,      &game.Opening, &game.Variation, &game.FEN};
}

CFailedLoadGuard::CFailedLoadGuard(const CGame& game) {
  // Tags() only hands out addresses; nothing is written through them here.
  const auto tags = Tags(const_cast<CGame&>(game));
  for (int i = 0; i < TAG_COUNT; ++i) TagValues[i] = *tags[i];
  std::copy(game.Engine.Position.Board, game.Engine.Position.Board + 256, Board.begin());
  RedToMove = game.RedToMove;
  RecordLength = game.Engine.Record.Length;
  RecordCurrent = game.Engine.Record.Current;
}

void CFailedLoadGuard::RestoreAfterFailedLoad(CGame& game) const {
  const bool untouched = std::equal(Board.begin(), Board.end(), game.Engine.Position.Board) &&
                         RedToMove == game.RedToMove && RecordLength == game.Engine.Record.Length &&
                         RecordCurrent == game.Engine.Record.Current;
  const auto tags = Tags(game);
  if (untouched) {
    for (int i = 0; i < TAG_COUNT; ++i) *tags[i] = TagValues[i];
    return;
  }
  if (game.Red.empty()) game.Red = TagValues[6];
  if (game.Black.empty()) game.Black = TagValues[8];
}
