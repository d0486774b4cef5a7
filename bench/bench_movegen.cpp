// Move generation, the attack test and perft on a few positions.
#include <benchmark/benchmark.h>

#include "rules/move_generator.h"
#include "rules/move_rules.h"
#include "rules/move_tables.h"
#include "rules/perft.h"
#include "rules/position.h"

namespace {

// Start, a busy middle game, a sparse end game, a side in check.
constexpr const char* kFens[] = {
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1",
    "r1bakabn1/9/2n1r4/p2cp1p1p/2p6/4P1PC1/P1P5P/1c4C2/R3A4/1NB1KABNR w - - 20 11",
    "9/3k2r2/n3ban1P/2p6/4p4/2B1P2p1/N1p6/4KA3/C4C3/1r3A1N1 w - - 6 62",
    "4kab2/4a4/b1n3n2/2pC5/5Ppc1/p1P4pP/2r4R1/1c1KBC3/9/1NBA1A3 b - - 30 52",
};

CPosition Load(int index, int& redToMove) {
  BuildMoveTables();
  CPosition position;
  position.SetFromFen(kFens[index], redToMove);
  return position;
}

void BM_GenerateAllMoves(benchmark::State& state) {
  int red = 1;
  const CPosition position = Load(static_cast<int>(state.range(0)), red);
  CMoveList list;
  for (auto _ : state) {
    GenerateAllMoves(position, red, list);
    benchmark::DoNotOptimize(list.Count);
  }
  state.counters["moves"] = list.Count;
}
BENCHMARK(BM_GenerateAllMoves)->DenseRange(0, 3);

void BM_GenerateCaptures(benchmark::State& state) {
  int red = 1;
  const CPosition position = Load(static_cast<int>(state.range(0)), red);
  CMoveList list;
  for (auto _ : state) {
    GenerateCaptures(position, red, list);
    benchmark::DoNotOptimize(list.Count);
  }
}
BENCHMARK(BM_GenerateCaptures)->DenseRange(0, 3);

void BM_IsAttackingKing(benchmark::State& state) {
  int red = 1;
  const CPosition position = Load(static_cast<int>(state.range(0)), red);
  for (auto _ : state) {
    benchmark::DoNotOptimize(IsAttackingKing(position, 1));
    benchmark::DoNotOptimize(IsAttackingKing(position, 0));
  }
}
BENCHMARK(BM_IsAttackingKing)->DenseRange(0, 3);

// Every pseudo-legal move made, tested for the mover's king, unmade.
void BM_MakeTestUnmake(benchmark::State& state) {
  int red = 1;
  CPosition position = Load(static_cast<int>(state.range(0)), red);
  CMoveList list;
  GenerateAllMoves(position, red, list);
  for (auto _ : state) {
    int legal = 0;
    for (int i = 0; i < list.Count; ++i) {
      position.MakeMove(list.Moves[i]);
      legal += IsAttackingKing(position, red ? 0 : 1) ? 0 : 1;
      position.UnmakeMove(list.Moves[i]);
    }
    benchmark::DoNotOptimize(legal);
  }
  state.SetItemsProcessed(state.iterations() * list.Count);
}
BENCHMARK(BM_MakeTestUnmake)->DenseRange(0, 3);

void BM_Perft(benchmark::State& state) {
  int red = 1;
  CPosition position = Load(static_cast<int>(state.range(0)), red);
  uint64_t nodes = 0;
  for (auto _ : state) nodes += Perft(position, red, 3);
  state.counters["nps"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Perft)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
