#include "app/failed_load_guard.h"

#include <algorithm>

#include "game/game.h"
#include "game/game_tags.h"

static_assert(CFailedLoadGuard::TAG_COUNT == kGameTags.size());

CFailedLoadGuard::CFailedLoadGuard(const CGame& game) {
  for (size_t i = 0; i < kGameTags.size(); ++i) TagValues[i] = game.*kGameTags[i].Member;
  std::copy(game.Engine.Position.Board, game.Engine.Position.Board + 256, Board.begin());
  RedToMove = game.RedToMove;
  RecordLength = game.Engine.Record.Length;
  RecordCurrent = game.Engine.Record.Current;
}

void CFailedLoadGuard::RestoreAfterFailedLoad(CGame& game) const {
  const bool untouched = std::equal(Board.begin(), Board.end(), game.Engine.Position.Board) &&
                         RedToMove == game.RedToMove && RecordLength == game.Engine.Record.Length &&
                         RecordCurrent == game.Engine.Record.Current;
  if (untouched) {
    for (size_t i = 0; i < kGameTags.size(); ++i) game.*kGameTags[i].Member = TagValues[i];
    return;
  }
  for (size_t i = 0; i < kGameTags.size(); ++i) {
    const auto member = kGameTags[i].Member;
    const bool name = member == &CGame::Red || member == &CGame::Black;
    if (name && (game.*member).empty()) game.*member = TagValues[i];
  }
}
