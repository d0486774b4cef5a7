// Cost of one evaluation per model, over the positions of tests/data (the
// perft positions and the final positions of the games), and of the plain
// forward pass the network model's fast path replaces.
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/random.h"
#include "engine/evaluator.h"
#include "rules/move_rules.h"
#include "../tests/support/iccs_positions.h"

namespace {

struct CSample {
  CPosition Position;
  int RedToMove = 1;
};

std::vector<CSample> LoadSamples() {
  std::vector<CSample> samples;
  auto column = [&](const std::string& file, int index) {
    std::ifstream in(std::string(TARVO_TEST_DATA_DIR) + "/" + file);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
      std::stringstream fields(line);
      std::string field;
      for (int i = 0; i <= index && std::getline(fields, field, '\t'); ++i) {
      }
      CSample sample;
      if (!field.empty() && sample.Position.SetFromFen(field.c_str(), sample.RedToMove))
        samples.push_back(sample);
    }
  };
  column("perft.tsv", 0);
  column("games/expected.tsv", 2);
  return samples;
}

std::unique_ptr<CEvaluator> MakeEvaluator(int model) {
  auto evaluator = std::make_unique<CEvaluator>();
  SeedRandomWith(1);
  const int count0[] = {91}, count11[] = {31}, count12[] = {11};
  evaluator->AnnList.CreateAll(1, count0, count11, count12);
  evaluator->EvalModel = model;
  return evaluator;
}

void RunModel(benchmark::State& state, int model) {
  auto evaluator = MakeEvaluator(model);
  std::vector<CSample> samples = LoadSamples();
  // As inside a search: the network model reads its packed weights.
  const CEvaluator::CSearchScope searching(*evaluator);
  size_t next = 0;
  for (auto _ : state) {
    CSample& sample = samples[next];
    benchmark::DoNotOptimize(evaluator->EvaluatePosition(sample.Position, sample.RedToMove, 127));
    if (++next == samples.size()) next = 0;
  }
  state.counters["positions"] = static_cast<double>(samples.size());
}

// One network evaluation as a search leaf makes it: positions with no check
// (so no evasion search), the packed weights of a search.
void BM_EvaluateNetworkOnce(benchmark::State& state) {
  auto evaluator = MakeEvaluator(EVAL_MODEL_ANN);
  std::vector<CSample> samples;
  for (const CSample& sample : LoadSamples())
    if (!IsInCheck(sample.Position, sample.RedToMove) && !IsAttackingKing(sample.Position, sample.RedToMove))
      samples.push_back(sample);
  const CEvaluator::CSearchScope searching(*evaluator);
  size_t next = 0;
  for (auto _ : state) {
    CSample& sample = samples[next];
    benchmark::DoNotOptimize(evaluator->EvaluatePosition(sample.Position, sample.RedToMove, 127));
    if (++next == samples.size()) next = 0;
  }
  state.counters["positions"] = static_cast<double>(samples.size());
}

void BM_EvaluatePieceValue(benchmark::State& state) { RunModel(state, EVAL_MODEL_DEFAULT); }

// One piece-value evaluation over every position of every fifth master game
// of tests/data/iccs, too many for the branch predictors to learn by heart:
// each step plays the game's next move on one position, as a search does,
// and scores the result (positions in check included, as at a search leaf).
void BM_EvaluatePieceValueGames(benchmark::State& state) {
  auto evaluator = MakeEvaluator(EVAL_MODEL_DEFAULT);
  std::vector<CMove> moves;  // the games one after another, a move of piece 0 between them
  for (const std::vector<CMove>& game :
       IccsGameMoves(std::string(TARVO_TEST_DATA_DIR) + "/iccs/master_games_1125.pgn", 5)) {
    moves.insert(moves.end(), game.begin(), game.end());
    moves.push_back(CMove {});
  }
  const CPosition start;
  CPosition position;
  int redToMove = 1;
  size_t next = 0;
  for (auto _ : state) {
    if (moves[next].Piece == 0) {
      position = start;
      redToMove = 1;
      next = next + 1 == moves.size() ? 0 : next + 1;
    }
    position.MakeMove(moves[next]);
    redToMove = 1 - redToMove;
    benchmark::DoNotOptimize(evaluator->EvaluatePosition(position, redToMove, 127));
    ++next;
  }
  state.counters["positions"] = static_cast<double>(moves.size());
}
void BM_EvaluateNetwork(benchmark::State& state) { RunModel(state, EVAL_MODEL_ANN); }

// The network pass as first written: all 91 inputs, every σ in extended precision.
float PlainLogistic(float x) {
  return static_cast<float>(1.0L / (1.0L + expl(-static_cast<long double>(x))));
}

void BM_PlainNetworkPass(benchmark::State& state) {
  auto evaluator = MakeEvaluator(EVAL_MODEL_ANN);
  const CTdbpAnn& ann = evaluator->AnnList.GetAt(0);
  std::vector<CSample> samples = LoadSamples();
  float input[91], out11[31];
  size_t next = 0;
  for (auto _ : state) {
    CSample& sample = samples[next];
    evaluator->EncodeInputs(sample.Position, sample.RedToMove, input);
    for (int i = 0; i < 31; ++i) {
      float sum = 0.0f;
      for (int j = 0; j < 91; ++j) sum = sum + input[j] * ann.Weight11s[i][j];
      out11[i] = PlainLogistic(sum);
    }
    float sumOut = 0.0f;
    for (int i = 0; i < 11; ++i) {
      float sum = 0.0f;
      for (int j = 0; j < 31; ++j) sum = sum + ann.Weight12s[i][j] * out11[j];
      sumOut = sumOut + PlainLogistic(sum) * ann.Weight2s[i];
    }
    benchmark::DoNotOptimize(PlainLogistic(sumOut));
    if (++next == samples.size()) next = 0;
  }
}

// The network pass alone, through the fast path.
void BM_NetworkPass(benchmark::State& state) {
  auto evaluator = MakeEvaluator(EVAL_MODEL_ANN);
  CTdbpAnn& ann = evaluator->AnnList.GetAt(0);
  std::vector<CSample> samples = LoadSamples();
  float input[91];
  size_t next = 0;
  for (auto _ : state) {
    CSample& sample = samples[next];
    evaluator->EncodeInputs(sample.Position, sample.RedToMove, input);
    ann.Evaluate(input);
    benchmark::DoNotOptimize(ann.Out);
    if (++next == samples.size()) next = 0;
  }
}

}  // namespace

BENCHMARK(BM_EvaluatePieceValue);
BENCHMARK(BM_EvaluatePieceValueGames);
BENCHMARK(BM_EvaluateNetwork);
BENCHMARK(BM_EvaluateNetworkOnce);
BENCHMARK(BM_PlainNetworkPass);
BENCHMARK(BM_NetworkPass);
BENCHMARK_MAIN();
