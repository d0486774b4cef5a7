#pragma once
// The move history of the one game: a fixed array of ply entries with a
// cursor on the last played move and a length that keeps undone moves for redo.
#include <cstdint>
#include <cstring>

#include "rules/move.h"

constexpr int MAX_RECORD_ENTRIES = 1024;
constexpr int COMMENT_BUFFER_SIZE = 4096;

struct CRecordEntry {
  CMove Move;
  char Notation[16] {};                 // eight GB2312 bytes and a terminator
  char Comment[COMMENT_BUFFER_SIZE] {};  // GB2312 text, empty when none
  int32_t Depth = 0;   // engine depth of a computer move, -1 otherwise
  int32_t TimeMs = 0;  // milliseconds spent on the move

  void Clear() {
    Move = CMove {};
    Notation[0] = '\0';
    Comment[0] = '\0';
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
