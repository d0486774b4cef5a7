#pragma once
// One heap game object for the game-training and record-checking tests, in
// a fresh data folder, with a shallow deterministic search (no book, piece
// values, depth 2) so that whole games take milliseconds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "jobs/game_training_hooks.h"
#include "scripted_outside_engine.h"
#include "game/game.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "shared_game_suite.h"
#include "test_support.h"

class OutsideJobTest : public SharedGameSuite<> {
 protected:
  void SetUp() override {
    game = SharedGame;
    game->HumanVsHuman = 0;
    game->HumanPlaysRed = 1;
    game->SpeakMoves = 1;
    game->NaturalLimitPlies = 80;
    game->TrainingIdle = 1;
    game->CheckingIdle = 1;
    game->Engine.UseBook = 0;
    game->Engine.MaxDepth = 2;
    game->Engine.Evaluator.EvalModel = EVAL_MODEL_DEFAULT;
    Root = Home->Path() + "case-" + testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    std::filesystem::create_directories(Root);
    values.RootDir = Root;
    values.MaxTrainCount = 1;
    values.MaxMoveCount = 600;
    values.MinStatusCount = 0;
    values.CullDraw = 0;
    hooks.Trainer = [this](CGame&, const std::string& path, const CGameTrainingValues&) {
      Trained.push_back(path);
      return 1;
    };
    hooks.GameEnded = [this](const CTrainingGameReport& report) { Reports.push_back(report); };
  }

  std::vector<std::string> SavedFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Root)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static CScriptStep Play(const std::string& text) { return {CScriptStep::Play, text}; }
  static CScriptStep Step(CScriptStep::CKind kind) { return {kind, ""}; }

  CGame* game = nullptr;
  std::string Root;
  CGameTrainingValues values;
  CGameTrainingHooks hooks;
  CScriptedOutsideEngine outside;
  std::vector<std::string> Trained;
  std::vector<CTrainingGameReport> Reports;
};
