#pragma once
// The benchmarks' game collection: the 1,125 ICCS master games of the test
// data replayed through the game object and saved as one PGN file each.
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "rules/iccs.h"
#include "rules/pieces.h"

// Saves every game as folder + "game%04d.pgn"; returns the paths written.
inline std::vector<std::string> SaveIccsMasterGames(CGame& game, const std::string& folder) {
  std::ifstream in(std::string(TARVO_TEST_DATA_DIR) + "/iccs/master_games_1125.pgn");
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  const std::regex move("[a-i][0-9][a-i][0-9]");
  std::vector<std::string> paths;
  size_t at = 0;
  while ((at = text.find("[Event", at)) != std::string::npos) {
    const size_t body = text.find("\n\n", at);
    const size_t next = text.find("\n[Event", at + 1);
    const std::string moves = text.substr(body, next == std::string::npos ? std::string::npos : next - body);
    game.NewGame(InitialBoard.data(), 1);
    for (std::sregex_iterator it(moves.begin(), moves.end(), move), end; it != end; ++it) {
      CMove m;
      if (!MoveFromIccs(game.Position(), it->str(), m) || !game.PlayMove(m, 0)) break;
    }
    char name[32];
    std::snprintf(name, sizeof name, "game%04d.pgn", static_cast<int>(paths.size()));
    if (game.SavePgn(folder + name)) paths.push_back(folder + name);
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return paths;
}
