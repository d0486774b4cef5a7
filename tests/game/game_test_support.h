#pragma once
// One heap game object shared by a test suite (it is megabytes and its
// engine reads and writes data files), in a fresh data folder.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "game/game.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "shared_game_suite.h"
#include "test_support.h"

class GameSuite : public SharedGameSuite<> {
 protected:
  // Every test starts from a new game in the start position with the
  // defaults, red to move, the person playing red.
  void SetUp() override {
    game = SharedGame;
    game->HumanVsHuman = 0;
    game->HumanPlaysRed = 1;
    game->SpeakMoves = 1;
    game->NaturalLimitPlies = 80;
    game->Engine.UseBook = 0;
    game->Engine.MaxDepth = 3;
    ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  }

  // The move named in ICCS coordinates, read from the current position.
  CMove Iccs(const std::string& text) {
    CMove move;
    EXPECT_EQ(MoveFromIccs(game->Position(), text, move), 1) << text;
    return move;
  }
  // A new game from the position in FEN.
  int StartFrom(const char* fen) {
    CPosition position;
    int redToMove = 1;
    if (!position.SetFromFen(fen, redToMove)) return 0;
    return game->NewGame(position.Board, redToMove);
  }
  int Play(const std::string& iccs) { return game->PlayMove(Iccs(iccs), 1); }

  std::string Folder() const { return Home->Path(); }

  CGame* game = nullptr;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}
