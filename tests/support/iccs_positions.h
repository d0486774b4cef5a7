#pragma once
// Positions from real games for tests that compare a fast pass with a plain
// one, and for benchmarks: every position reached in every n-th game of the ICCS master games of
// tests/data, with the side to move after each move.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rules/iccs.h"
#include "rules/position.h"

struct CGamePosition {
  CPosition Position;
  int RedToMove = 1;
};

inline bool IsIccsMoveToken(const std::string& token) {
  return token.size() == 4 && token[0] >= 'a' && token[0] <= 'i' && token[1] >= '0' && token[1] <= '9' &&
         token[2] >= 'a' && token[2] <= 'i' && token[3] >= '0' && token[3] <= '9';
}

// The moves of games 1, 1 + n, 1 + 2n, ... (counting from 1) of the ICCS
// file at path (tests/data/iccs/master_games_1125.pgn), each game from the
// start position; a game stops at its first move that does not read.
inline std::vector<std::vector<CMove>> IccsGameMoves(const std::string& path, int everyNthGame) {
  std::ifstream in(path);
  std::vector<std::vector<CMove>> games;
  std::string line;
  int gameNumber = 0;
  CPosition position;
  bool stopped = false;
  while (std::getline(in, line)) {
    if (line.rfind("[Event", 0) == 0) {
      ++gameNumber;
      stopped = gameNumber % everyNthGame != 1 % everyNthGame;
      if (!stopped) {
        position = CPosition {};
        games.emplace_back();
      }
      continue;
    }
    if (stopped || line.empty() || line[0] == '[') continue;
    std::istringstream words(line);
    std::string token;
    while (words >> token) {
      if (!IsIccsMoveToken(token)) continue;
      CMove move;
      if (!MoveFromIccs(position, token, move)) {
        stopped = true;
        break;
      }
      position.MakeMove(move);
      games.back().push_back(move);
    }
  }
  return games;
}

// Every position reached in those games, with the side to move after each move.
inline std::vector<CGamePosition> IccsGamePositions(const std::string& path, int everyNthGame) {
  std::vector<CGamePosition> samples;
  for (const std::vector<CMove>& game : IccsGameMoves(path, everyNthGame)) {
    CGamePosition current;
    for (const CMove& move : game) {
      current.Position.MakeMove(move);
      current.RedToMove = current.RedToMove ? 0 : 1;
      samples.push_back(current);
    }
  }
  return samples;
}
