#pragma once
// A heap game object in a fresh data folder, shared by a suite of training
// tests (it is megabytes, and its engine makes ann/eval000.ann).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "shared_game_suite.h"
#include "test_support.h"

class TrainSuite : public SharedGameSuite<> {
 protected:
  // Each test gets a data folder of its own.
  void SetUp() override {
    home = std::make_unique<ScopedTarvoHome>();
    game = SharedGame;
  }
  void TearDown() override { home.reset(); }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Names of the entries of a folder, sorted.
  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<ScopedTarvoHome> home;
  CGame* game = nullptr;
};

#include "rules/iccs.h"
#include "rules/pieces.h"

// Writes a game record of the given ICCS moves from the start position,
// with the given result, through the game object. True on success.
inline bool WriteRecord(CGame& game, const std::string& path, const std::vector<std::string>& moves,
                        const std::string& result) {
  game.HumanVsHuman = 1;
  if (!game.NewGame(InitialBoard.data(), 1)) return false;
  for (const std::string& text : moves) {
    CMove move;
    if (!MoveFromIccs(game.Position(), text, move) || !game.PlayMove(move, 0)) return false;
  }
  game.Result = result;
  return game.SavePgn(path) == 1;
}

// Twelve plies of an ordinary opening.
inline const std::vector<std::string> kOpening = {"h2e2", "h9g7", "h0g2", "i9h9", "g3g4", "g6g5",
                                                  "b0c2", "b9c7", "a0b0", "a9b9", "i0h0", "c6c5"};
inline std::vector<std::string> FirstMoves(int count) {
  return {kOpening.begin(), kOpening.begin() + count};
}
