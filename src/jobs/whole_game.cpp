#include "jobs/whole_game.h"

#include "game/game.h"
#include "game/pgn_reader.h"

bool ReadWholeGame(CGame& game, const std::string& path, std::string& why) {
  CPgnReadReport report;
  if (!ReadPgnFile(game, path, report)) {
    why = DescribeFailure(report);
    if (why.empty()) why = "cannot be read as a game";
    return false;
  }
  if (report.Stop == CPgnStop::NextGame) {
    why = "holds more than one game (" + DescribeStop(report) + ")";
    return false;
  }
  if (!report.Complete()) {
    why = "is not read whole: " + DescribeStop(report);
    return false;
  }
  if (report.Plies == 0) {
    why = "holds no moves";
    return false;
  }
  return true;
}
