#pragma once
// A copy of the game object's current game (tags, position, side to move,
// the move record with its redo part), so a job that loads other games into
// the game object can put the user's game back when it ends.
#include <cstdint>
#include <string>
#include <vector>

#include "record/game_record.h"
#include "rules/position.h"

class CGame;

class CGameSnapshot {
 public:
  explicit CGameSnapshot(const CGame& game);
  void Restore(CGame& game) const;

 private:
  std::vector<std::string> Tags;
  std::vector<std::pair<std::string, std::string>> OtherTags;
  CPosition Position;
  int32_t RedToMove = 1;
  int32_t Current = -1;
  uint32_t LastMoveTick = 0;
  std::vector<CRecordEntry> Entries;  // the record's Length entries
};
