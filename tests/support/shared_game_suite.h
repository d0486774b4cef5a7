#pragma once
// A suite of tests that share one heap game object (it holds megabytes of
// tables, and its engine makes ann/eval000.ann) in a data folder of the
// suite's own. The voice factory decides what speaks the moves.
#include <gtest/gtest.h>

#include <memory>

#include "game/game.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "test_support.h"

inline std::unique_ptr<CVoice> NoTestVoice() { return nullptr; }

template <CVoiceFactory MakeVoice = &NoTestVoice>
class SharedGameSuite : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildMoveTables();
    BuildNotationMaps();
    Home = new ScopedTarvoHome();
    SharedGame = new CGame(MakeVoice);
  }
  static void TearDownTestSuite() {
    delete SharedGame;
    SharedGame = nullptr;
    delete Home;
    Home = nullptr;
  }

  static inline ScopedTarvoHome* Home = nullptr;
  static inline CGame* SharedGame = nullptr;
};
