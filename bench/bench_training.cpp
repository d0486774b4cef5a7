// Sample generation in games per second over the ICCS master collection,
// and TD(lambda) training in positions per second: every status training
// one network (TrainEvery's learner) and the own-category learner with 1
// and 2 threads per game; and the mini-batch learner with 1 and 2 threads
// on whole games and on one-status patterns, in order and shuffled, and
// two threads against one, pass by pass. Files live in memory (/dev/shm).
#include <benchmark/benchmark.h>

#include "iccs_games.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ann/batch_learner.h"
#include "ann/sample_file.h"
#include "jobs/sample_generation.h"
#include "ann/td_learner.h"
#include "common/exe_path.h"
#include "common/random.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

namespace {

std::unique_ptr<CVoice> NoVoice() { return nullptr; }

struct CCollection {
  ~CCollection() {
    std::error_code error;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, error);
  }
  std::string Folder;       // data folder
  std::string GamesFolder;  // the collection as game files
  int GameCount = 0;
  std::unique_ptr<CGame> Game;
  std::string SampleFile;  // all games as one sample file
};

// The ICCS games played through the game object and saved as game files;
// then one sample file of them all.
CCollection& Collection() {
  static CCollection collection;
  static bool built = [] {
    CCollection& c = collection;
    const std::string shm = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string folder = shm + "/tarvo-bench-train-XXXXXX";
    if (!mkdtemp(folder.data())) std::abort();
    c.Folder = folder + "/";
    c.GamesFolder = c.Folder + "games/";
    std::filesystem::create_directories(c.GamesFolder);
    SetExePath(c.Folder);
    BuildMoveTables();
    BuildNotationMaps();
    c.Game = std::make_unique<CGame>(&NoVoice);
    c.Game->HumanVsHuman = 1;
    c.GameCount = static_cast<int>(SaveIccsMasterGames(*c.Game, c.GamesFolder).size());
    CSampleRun run;
    GenerateSamples(*c.Game, c.GamesFolder, "eval", c.Folder + "sample/", ".sam", CSampleSettings {},
                    &run);
    if (run.WrittenFiles.size() != 1) std::abort();
    c.SampleFile = run.WrittenFiles[0];
    return true;
  }();
  (void)built;
  return collection;
}

void BM_GenerateSamples(benchmark::State& state) {
  CCollection& c = Collection();
  const std::string out = c.Folder + "bench-samples/";
  for (auto _ : state) {
    CSampleRun run;
    benchmark::DoNotOptimize(
        GenerateSamples(*c.Game, c.GamesFolder, "eval", out, ".sam", CSampleSettings {}, &run));
    state.PauseTiming();
    std::filesystem::remove_all(out);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * c.GameCount);
  state.SetLabel("items = games");
}
BENCHMARK(BM_GenerateSamples)->Unit(benchmark::kMillisecond)->UseRealTime();

// Learns the first 200 patterns of the collection once per iteration;
// threads 0 is the every-status learner, otherwise the own-category one.
void BM_Learn(benchmark::State& state) {
  CCollection& c = Collection();
  CSampleFile file;
  if (!file.Open(c.SampleFile, 91, 1)) std::abort();
  SeedRandomWith(1);
  CTdbpAnnList list;
  list.Add(CTdbpAnn(91, 31, 11, -0.1f, 0.1f, 1, 1, 1, 0.001f, 0.9f));
  CTrainBuffers buffers;
  buffers.Allocate(91, 31, 11);
  const int threads = static_cast<int>(state.range(0));
  const size_t patterns = std::min<size_t>(200, file.Patterns().size());
  long long positions = 0;
  for (auto _ : state) {
    for (size_t p = 0; p < patterns; ++p) {
      const CPatternView& pattern = file.Patterns()[p];
      if (threads == 0)
        LearnPattern(list.GetAt(0), pattern, buffers);
      else
        LearnPatternCategory(list, 0, pattern, buffers, threads);
      positions += pattern.StatusCount;
    }
  }
  state.SetItemsProcessed(positions);
  state.SetLabel(threads == 0 ? "every status, items = positions"
                              : "own category, " + std::to_string(threads) + " thread(s)");
}
// Wall-clock rates: the worker threads' time is not the caller's CPU time.
BENCHMARK(BM_Learn)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The patterns of the mini-batch cases: kind 0 = the first 200 games as
// they are, 1 = each of their positions a pattern of its own (Expect 0.5),
// 2 = those in a shuffled order, as a shuffled training run visits them.
std::vector<CPatternView> BatchPatterns(const CSampleFile& file, int64_t kind) {
  const size_t games = std::min<size_t>(200, file.Patterns().size());
  std::vector<CPatternView> patterns;
  for (size_t p = 0; p < games; ++p) {
    const CPatternView& game = file.Patterns()[p];
    if (kind == 0) {
      patterns.push_back(game);
      continue;
    }
    for (int t = 0; t < game.StatusCount; ++t) {
      CPatternView one = game.Status(t);
      one.Expect = 0.5f;
      patterns.push_back(one);
    }
  }
  if (kind == 2) {
    std::mt19937 shuffle(1);
    std::shuffle(patterns.begin(), patterns.end(), shuffle);
  }
  return patterns;
}

const char* BatchKind(int64_t kind) {
  const char* kinds[] = {"whole games", "one-status patterns", "shuffled one-status patterns"};
  return kinds[kind];
}

// The master games' samples cut into patterns of a kind, and a network
// made from a fixed seed to learn them (the views read the mapped file).
struct CBatchSetup {
  explicit CBatchSetup(int64_t kind) {
    if (!File.Open(Collection().SampleFile, 91, 1)) std::abort();
    SeedRandomWith(1);
    Network = CTdbpAnn(91, 31, 11, -0.1f, 0.1f, 1, 1, 1, 0.001f, 0.9f);
    Patterns = BatchPatterns(File, kind);
  }
  CSampleFile File;
  CTdbpAnn Network;
  std::vector<CPatternView> Patterns;
};

// One pass over the patterns in batches; returns its seconds.
double LearnInBatches(CBatchLearner& learner, CTdbpAnn& network, const std::vector<CPatternView>& patterns,
                      int batchSize) {
  const auto start = std::chrono::steady_clock::now();
  for (size_t at = 0; at < patterns.size(); at += static_cast<size_t>(batchSize)) {
    const int size = static_cast<int>(std::min(patterns.size() - at, static_cast<size_t>(batchSize)));
    learner.Learn(network, patterns.data() + at, size);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Mini-batches: range(0) the kind of patterns (BatchPatterns), range(1) the
// batch size, range(2) the threads sharing each batch, range(3) 1 for
// Adam's rule.
void BM_LearnBatch(benchmark::State& state) {
  CBatchSetup setup(state.range(0));
  CTdbpAnn& network = setup.Network;
  const std::vector<CPatternView>& patterns = setup.Patterns;
  const int batchSize = static_cast<int>(state.range(1));
  CBatchLearner learner;
  if (learner.Start(network, static_cast<int>(state.range(2)), state.range(3) != 0) != state.range(2))
    std::abort();
  long long positions = 0;
  for (auto _ : state) {
    LearnInBatches(learner, network, patterns, batchSize);
    for (const CPatternView& pattern : patterns) positions += pattern.StatusCount;
  }
  state.SetItemsProcessed(positions);
  state.SetLabel(std::string(BatchKind(state.range(0))) + ", batch " + std::to_string(batchSize) + ", " +
                 std::to_string(state.range(2)) + " thread(s)" + (state.range(3) != 0 ? ", Adam" : "") +
                 ", items = positions");
}
BENCHMARK(BM_LearnBatch)
    ->ArgsProduct({{0, 1}, {16, 32, 64, 256, 1024}, {1, 2}, {0}})
    ->ArgsProduct({{0, 1}, {32, 256}, {1, 2}, {1}})
    ->ArgsProduct({{2}, {32, 64}, {1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Two threads against one, pass by pass: each iteration learns the patterns
// once with one thread and once with two (each its own network), so both
// rates come from the same moment of a shared machine, where either alone
// moves by a third from one second to the next. Counters: positions/s with
// one and two threads, and the ratio of the two. range() as BM_LearnBatch
// without the threads.
void BM_LearnBatchTwoThreads(benchmark::State& state) {
  CBatchSetup setup(state.range(0));
  CTdbpAnn& one = setup.Network;
  CTdbpAnn two = one;
  const std::vector<CPatternView>& patterns = setup.Patterns;
  const int batchSize = static_cast<int>(state.range(1));
  const bool adam = state.range(2) != 0;
  CBatchLearner oneThread, twoThreads;
  if (oneThread.Start(one, 1, adam) != 1 || twoThreads.Start(two, 2, adam) != 2) std::abort();
  long long positions = 0;
  for (const CPatternView& pattern : patterns) positions += pattern.StatusCount;
  double seconds1 = 0, seconds2 = 0;
  for (auto _ : state) {
    seconds1 += LearnInBatches(oneThread, one, patterns, batchSize);
    seconds2 += LearnInBatches(twoThreads, two, patterns, batchSize);
  }
  const double learned = static_cast<double>(positions) * static_cast<double>(state.iterations());
  state.counters["1t"] = learned / seconds1;
  state.counters["2t"] = learned / seconds2;
  state.counters["ratio"] = seconds1 / seconds2;
  state.SetLabel(std::string(BatchKind(state.range(0))) + ", batch " + std::to_string(batchSize) +
                 (adam ? ", Adam" : ""));
}
BENCHMARK(BM_LearnBatchTwoThreads)
    ->Args({0, 32, 0})
    ->Args({0, 256, 0})
    ->ArgsProduct({{1, 2}, {32, 64}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
