#include "jobs/game_snapshot.h"

#include "game/game.h"
#include "game/game_tags.h"

CGameSnapshot::CGameSnapshot(const CGame& game)
    : Position(game.Engine.Position),
      RedToMove(game.RedToMove),
      Current(game.Engine.Record.Current),
      LastMoveTick(game.LastMoveTick) {
  OtherTags = game.OtherTags;
  for (const CGameTag& tag : kGameTags) Tags.push_back(game.*tag.Member);
  const CGameRecord& record = game.Engine.Record;
  Entries.assign(record.Entries, record.Entries + record.Length);
}

void CGameSnapshot::Restore(CGame& game) const {
  for (size_t i = 0; i < kGameTags.size(); ++i) game.*kGameTags[i].Member = Tags[i];
  game.OtherTags = OtherTags;
  game.Position() = Position;
  game.RedToMove = RedToMove;
  game.LastMoveTick = LastMoveTick;
  CGameRecord& record = game.Record();
  record.Reset();
  for (size_t k = 0; k < Entries.size(); ++k) record.Entries[k] = Entries[k];
  record.Length = static_cast<int32_t>(Entries.size());
  record.Current = Current;
}
