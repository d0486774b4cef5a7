#include "record/game_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

bool IsCleared(const CRecordEntry& entry) {
  return entry.Move == CMove {} && entry.Notation[0] == '\0' && entry.Comment[0] == '\0' && entry.Depth == 0 &&
         entry.TimeMs == 0;
}

TEST(GameRecordTest, ResetClearsEveryEntryAndTheCursor) {
  auto record = std::make_unique<CGameRecord>();
  EXPECT_EQ(record->Current, -1);
  EXPECT_EQ(record->Length, 0);
  for (int i = 0; i < MAX_RECORD_ENTRIES; ++i) ASSERT_TRUE(IsCleared((*record)[i])) << i;

  for (int i : {0, 1, MAX_RECORD_ENTRIES - 1}) {
    CRecordEntry& entry = (*record)[i];
    entry.Move = CMove {3, 22, CSquare {10, 10}, CSquare {3, 10}};
    std::strcpy(entry.Notation, "\xC5\xDA\xB6\xFE\xBD\xF8\xC6\xDF");  // eight GB2312 bytes
    entry.Comment = "comment";
    entry.Depth = -1;
    entry.TimeMs = 1500;
  }
  record->Current = 1;
  record->Length = MAX_RECORD_ENTRIES;
  EXPECT_EQ(std::strlen((*record)[1].Notation), 8u);

  record->Reset();
  EXPECT_EQ(record->Current, -1);
  EXPECT_EQ(record->Length, 0);
  for (int i = 0; i < MAX_RECORD_ENTRIES; ++i) ASSERT_TRUE(IsCleared(record->Entries[i])) << i;
}

}  // namespace
