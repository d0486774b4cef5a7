#include "jobs/game_snapshot.h"

#include "game/game.h"

namespace {

template <typename Game, typename Visit>
void ForEachTag(Game& game, Visit visit) {
  for (auto* tag : {&game.Game, &game.Event, &game.Round, &game.Date, &game.Site, &game.RedTeam, &game.Red,
                    &game.BlackTeam, &game.Black, &game.Result, &game.ECCO, &game.Opening, &game.Variation,
                    &game.FEN})
    visit(*tag);
}

}  // namespace

CGameSnapshot::CGameSnapshot(const CGame& game)
    : Position(game.Engine.Position),
      RedToMove(game.RedToMove),
      Current(game.Engine.Record.Current),
      LastMoveTick(game.LastMoveTick) {
  OtherTags = game.OtherTags;
  ForEachTag(game, [this](const std::string& tag) { Tags.push_back(tag); });
  const CGameRecord& record = game.Engine.Record;
  Entries.assign(record.Entries, record.Entries + record.Length);
}

void CGameSnapshot::Restore(CGame& game) const {
  size_t i = 0;
  ForEachTag(game, [&](std::string& tag) { tag = Tags[i++]; });
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
