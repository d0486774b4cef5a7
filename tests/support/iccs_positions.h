#pragma once
// Positions from real games for tests that compare a fast pass with a plain
// one: every position reached in every n-th game of the ICCS master games of
// tests/data, with the side to move after each move.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rules/iccs.h"
#include "rules/position.h"
#include "test_support.h"

struct CGamePosition {
  CPosition Position;
  int RedToMove = 1;
};

inline bool IsIccsMoveToken(const std::string& token) {
  return token.size() == 4 && token[0] >= 'a' && token[0] <= 'i' && token[1] >= '0' && token[1] <= '9' &&
         token[2] >= 'a' && token[2] <= 'i' && token[3] >= '0' && token[3] <= '9';
}

// Games 1, 1 + n, 1 + 2n, ... (counting from 1); a game stops at its first
// move that does not read.
inline std::vector<CGamePosition> IccsGamePositions(int everyNthGame) {
  std::ifstream in(TestDataPath("iccs/master_games_1125.pgn"));
  std::vector<CGamePosition> samples;
  std::string line;
  int games = 0;
  CGamePosition current;
  bool stopped = false;
  while (std::getline(in, line)) {
    if (line.rfind("[Event", 0) == 0) {
      current = CGamePosition {};
      stopped = false;
      ++games;
      continue;
    }
    if (stopped || line.empty() || line[0] == '[' || games % everyNthGame != 1 % everyNthGame) continue;
    std::istringstream words(line);
    std::string token;
    while (words >> token) {
      if (!IsIccsMoveToken(token)) continue;
      CMove move;
      if (!MoveFromIccs(current.Position, token, move)) {
        stopped = true;
        break;
      }
      current.Position.MakeMove(move);
      current.RedToMove = current.RedToMove ? 0 : 1;
      samples.push_back(current);
    }
  }
  return samples;
}
