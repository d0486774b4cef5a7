#pragma once
// A shared search engine set back for the next test: its defaults, no book,
// no time limits, the given evaluation model and position.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/engine_position.h"
#include "engine/search_engine.h"

inline CSearchEngine& PrepareEngine(CSearchEngine& e, const char* fen, int model, int& side) {
  e.Reset();
  e.OnIteration = nullptr;
  e.Book.Reset();
  e.UseBook = 0;
  e.MaxIterTime = INT_MAX;
  e.MaxSearchTime = INT_MAX;
  e.Evaluator.EvalModel = model;
  std::string error;
  EXPECT_EQ(LoadEnginePosition(e, fen, side, error), 1) << error;
  return e;
}
