#include "jobs/training_game_rules.h"

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

int QuietMoveCount(const CGameRecord& record) {
  int count = 0;
  for (int i = record.Current; i >= 0 && record[i].Move.Captured == 0; --i) ++count;
  return count;
}

std::string AdjudicateByMaterial(const CPosition& position, int minDelta) {
  int difference = 0;
  position.CountPieces(&difference);
  if (difference > minDelta) return "1-0";
  if (difference < -minDelta) return "0-1";
  return "1/2-1/2";
}

bool IsCulledDraw(int cullDraw, const std::string& result) {
  return cullDraw != 0 && result != "1-0" && result != "0-1";
}

std::string CaseFilePath(const std::string& rootDir, const std::string& result, bool ourSideIsRed, int moveCount) {
  const char* kind = "draw";
  if (result == "1-0") kind = ourSideIsRed ? "win" : "loss";
  if (result == "0-1") kind = ourSideIsRed ? "loss" : "win";
  char outcome[32];
  std::snprintf(outcome, sizeof outcome, "%s_%03d", kind, moveCount);
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char name[128];
  std::snprintf(name, sizeof name, "case_%s_%04d_%02d_%02d_%02d_%02d_%02d", outcome, local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  std::string path = rootDir + name + ".pgn";
  struct stat info;
  for (int n = 2; ::stat(path.c_str(), &info) == 0; ++n) path = rootDir + name + "_" + std::to_string(n) + ".pgn";
  return path;
}
