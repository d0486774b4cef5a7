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
#include "test_support.h"

inline std::unique_ptr<CVoice> TrainNoVoice() { return nullptr; }

class TrainSuite : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildMoveTables();
    BuildNotationMaps();
    Home = new ScopedTarvoHome();
    SharedGame = new CGame(&TrainNoVoice);
  }
  static void TearDownTestSuite() {
    delete SharedGame;
    SharedGame = nullptr;
    delete Home;
    Home = nullptr;
  }
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

  static inline ScopedTarvoHome* Home = nullptr;
  static inline CGame* SharedGame = nullptr;
  std::unique_ptr<ScopedTarvoHome> home;
  CGame* game = nullptr;
};
