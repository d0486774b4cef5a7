// Game files loaded and saved per second over the ICCS master collection,
// first written as game files of this program. Saving goes through a
// temporary file, fsync and rename; the files live on a disk folder
// (/tmp) and, for comparison, in memory (/dev/shm) where fsync costs nothing.
#include <benchmark/benchmark.h>

#include "iccs_games.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/exe_path.h"
#include "game/game.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

namespace {

std::unique_ptr<CVoice> NoVoice() { return nullptr; }

struct CCollection {
  ~CCollection() {
    std::error_code error;
    if (!MemoryFolder.empty()) std::filesystem::remove_all(MemoryFolder, error);
    if (!DiskFolder.empty()) std::filesystem::remove_all(DiskFolder, error);
  }
  std::string MemoryFolder;
  std::unique_ptr<CGame> Game;
  std::vector<std::string> Files;  // in memory (/dev/shm)
  std::string DiskFolder;          // on disk, for the save benchmark
};

// Plays each ICCS game with PlayMove and saves it; a game ends early where
// the repetition rule refuses a move.
CCollection& Collection() {
  static CCollection collection;
  static bool built = [] {
    CCollection& c = collection;
    const std::string shm = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string folder = shm + "/tarvo-bench-pgn-XXXXXX";
    if (!mkdtemp(folder.data())) std::abort();
    std::string disk = "/tmp/tarvo-bench-pgn-disk-XXXXXX";
    if (!mkdtemp(disk.data())) std::abort();
    c.DiskFolder = disk + "/";
    c.MemoryFolder = folder + "/";
    SetExePath(folder);
    BuildMoveTables();
    BuildNotationMaps();
    c.Game = std::make_unique<CGame>(&NoVoice);
    c.Game->HumanVsHuman = 1;

    c.Files = SaveIccsMasterGames(*c.Game, c.MemoryFolder);
    return true;
  }();
  (void)built;
  return collection;
}

void BM_LoadPgn(benchmark::State& state) {
  CCollection& c = Collection();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(c.Game->LoadPgn(c.Files[i]));
    i = (i + 1) % c.Files.size();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["games"] = static_cast<double>(c.Files.size());
}
BENCHMARK(BM_LoadPgn);

void SaveBenchmark(benchmark::State& state, const std::string& folder) {
  CCollection& c = Collection();
  size_t i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    c.Game->LoadPgn(c.Files[i]);
    state.ResumeTiming();
    benchmark::DoNotOptimize(c.Game->SavePgn(folder + "saved" + std::to_string(i % 64) + ".pgn"));
    i = (i + 1) % c.Files.size();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SavePgnMemory(benchmark::State& state) {
  SaveBenchmark(state, GetExePath());
}
BENCHMARK(BM_SavePgnMemory);

void BM_SavePgnDisk(benchmark::State& state) {
  SaveBenchmark(state, Collection().DiskFolder);
}
BENCHMARK(BM_SavePgnDisk);

}  // namespace

BENCHMARK_MAIN();
