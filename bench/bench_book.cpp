// Opening-book build over the ICCS master collection (imported as game files
// by tarvo-cli pgn import-iccs): games per second with the nodes gathered in
// a hash map and laid out once, and with one AddNode (binary search and array
// insertion) per node, the way the table was first built. Both builds must
// give the same table; the benchmark stops with an error when they do not.
#include <benchmark/benchmark.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/exe_path.h"
#include "game/game.h"
#include "jobs/book_builder.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"

namespace {

std::unique_ptr<CVoice> NoVoice() { return nullptr; }

struct CBookBench {
  ~CBookBench() {
    std::error_code error;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, error);
  }
  std::string Folder;  // data folder; the games in Folder + "games"
  std::unique_ptr<CGame> Game;
  std::vector<BookNode> Reference;  // the node-by-node table, once built
  std::vector<BookNode> Gathered;
};

CBookBench& Bench() {
  static CBookBench bench;
  static bool ready = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "tarvo-bench-book-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    bench.Folder = folder + "/";
    const std::string command = std::string(TARVO_CLI_PATH) + " pgn import-iccs " + TARVO_TEST_DATA_DIR +
                                "/iccs/master_games_1125.pgn " + bench.Folder + "games > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0) std::abort();
    SetExePath(bench.Folder);
    BuildMoveTables();
    BuildNotationMaps();
    bench.Game = std::make_unique<CGame>(&NoVoice);
    bench.Game->HumanVsHuman = 1;
    return true;
  }();
  (void)ready;
  return bench;
}

bool SameTables(const std::vector<BookNode>& a, const std::vector<BookNode>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].LockLo != b[i].LockLo || a[i].LockHi != b[i].LockHi || a[i].Weight != b[i].Weight ||
        a[i].Piece != b[i].Piece || a[i].ToRow != b[i].ToRow || a[i].ToCol != b[i].ToCol)
      return false;
  return true;
}

// The whole build as the command runs it, with nothing culled so that the
// full tables can be compared.
void BuildBook(benchmark::State& state, bool insertEachNode) {
  CBookBench& bench = Bench();
  COpeningBook& book = bench.Game->Engine.Book;
  CBookBuilder builder(book);
  long long games = 0;
  for (auto _ : state) {
    builder.InsertEachNode = insertEachNode;
    if (!builder.LoadDIR(*bench.Game, bench.Folder + "games", INT32_MIN, 3, 1, -1)) {
      state.SkipWithError(builder.BuildError.c_str());
      return;
    }
    games += builder.LoadedCount;
  }
  (insertEachNode ? bench.Reference : bench.Gathered) = book.Nodes;
  if (!bench.Reference.empty() && !bench.Gathered.empty() && !SameTables(bench.Reference, bench.Gathered)) {
    state.SkipWithError("the two builds gave different tables");
    return;
  }
  state.counters["games/s"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
  state.counters["nodes"] = static_cast<double>(book.Nodes.size());
}

void BM_BookBuildGathered(benchmark::State& state) { BuildBook(state, false); }
BENCHMARK(BM_BookBuildGathered)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_BookBuildNodeByNode(benchmark::State& state) { BuildBook(state, true); }
BENCHMARK(BM_BookBuildNodeByNode)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
