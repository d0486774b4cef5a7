#pragma once
// The move history of the one game: a fixed array of ply entries with a
// cursor on the last played move and a length that keeps undone moves for redo.
#include <cstdint>
#include <cstring>
#include <string>

#include "rules/move.h"

constexpr int MAX_RECORD_ENTRIES = 1024;

struct CRecordEntry {
  CMove Move;
  char Notation[16] {};                 // eight GB2312 bytes and a terminator
  // GB2312 text of any length, as read between the comment's brackets (line
  // breaks as LF); empty when none. Clearing keeps the capacity, so replaying
  // moves allocates nothing.
  std::string Comment;
  int32_t Depth = 0;   // engine depth of a computer move, -1 otherwise
  int32_t TimeMs = 0;  // milliseconds spent on the move

  void Clear() {
    Move = CMove {};
    Notation[0] = '\0';
    Comment.clear();
    Depth = 0;
    TimeMs = 0;
  }
};

class CGameRecord {
 public:
  CGameRecord() { Reset(); }
  CGameRecord(const CGameRecord&) = delete;
  CGameRecord& operator=(const CGameRecord&) = delete;

  int32_t Current = -1;  // index of the last played move; -1 before the first
  int32_t Length = 0;    // entries in use; Current + 1 .. Length - 1 can be redone
  CRecordEntry Entries[MAX_RECORD_ENTRIES];

  void Reset() {
    Current = -1;
    Length = 0;
    for (auto& entry : Entries) entry.Clear();
  }
  CRecordEntry& operator[](int index) { return Entries[index]; }
  const CRecordEntry& operator[](int index) const { return Entries[index]; }
};
