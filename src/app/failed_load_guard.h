#pragma once
// What a failed file load may take from the game: the load clears every tag
// before it reads the file's, so a file that fails in its tag block would
// leave a board without players' names. The document notes the tags and the
// position before a load and gives them back when the load fails.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CGame;

class CFailedLoadGuard {
 public:
  explicit CFailedLoadGuard(const CGame& game);

  // After a failed load: when the position and the record are untouched the
  // whole game is as before again; otherwise the game stays as the load left
  // it, with the players' names it had.
  void RestoreAfterFailedLoad(CGame& game) const;

  static constexpr size_t TAG_COUNT = 14;  // the game's tags, in their table's order

 private:

  std::array<std::string, TAG_COUNT> TagValues;
  std::array<int32_t, 256> Board {};
  int32_t RedToMove = 1;
  int32_t RecordLength = 0;
  int32_t RecordCurrent = -1;
};
