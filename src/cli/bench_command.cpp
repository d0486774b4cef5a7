// tarvo-cli bench: a fixed set of positions searched to a fixed depth with
// each evaluation model; the node total is the engine's signature.
#include <unistd.h>

#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_command.h"
#include "common/exe_path.h"
#include "common/random.h"
#include "common/tick.h"
#include "engine/engine_position.h"
#include "engine/search_engine.h"
#include "rules/iccs.h"

namespace {

constexpr int kDefaultDepth = 6;
constexpr uint32_t kBenchSeed = 20240601;

struct BenchPosition {
  const char* Label;
  const char* Fen;
};

// Positions from master games (tests/data/iccs) and two composed mates.
const BenchPosition kPositions[] = {
    {"start", "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1"},
    {"opening", "1rbakabr1/9/2n2cn2/p1p1p1p1p/9/6P2/PcP1P3P/N1C1C1N2/9/1RBAKAB1R w - - 12 7"},
    {"middle", "1r1akab2/5r3/1cn1b2c1/p7p/1Rp1p2n1/2P3C2/P7P/2N1C1N2/9/2BAKAB1R w - - 2 13"},
    {"middle", "3rkab2/4a4/2n1b1c2/pCC1p3p/4c1p2/9/P1N1P3P/7r1/4AR2N/1R1AK1B2 w - - 9 21"},
    {"check", "2Cakab2/1R1n5/4bcn2/p2rp1p1p/2P6/6P2/P3P3P/B4C3/9/3AKAB2 b - - 2 16"},
    {"check", "1r2kab2/4a4/2n1b1c2/pCC1p3p/4c1p2/9/P1N1P3P/7r1/5R2N/1R1AKAB2 w - - 7 20"},
    {"endgame", "2b1k2C1/3na2N1/5c3/p4P2p/9/3r5/P3R3P/8B/4A4/3AK4 w - - 9 53"},
    {"endgame", "5aC2/3ka4/2c6/2N2P3/p1b4np/9/P8/B4A3/9/3AK4 w - - 5 36"},
    {"mate", "3a5/4k4/9/6R2/9/2N6/C8/9/9/3K5 w - - 0 1"},
    {"mate", "5k3/9/9/8c/6n2/9/2r6/9/4K4/5A3 b - - 0 1"},
};

// The keys and the network come from a fixed seed in a private folder, so the
// node counts do not depend on the data files beside the program.
class ScopedBenchHome {
 public:
  ScopedBenchHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) Folder = pattern;
  }
  ~ScopedBenchHome() {
    std::error_code error;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, error);
  }
  std::string Folder;
};

int RunBench(const std::vector<std::string>& args) {
  if (args.size() > 1) return CliError("bench: at most one argument, the depth");
  int depth = kDefaultDepth;
  if (!args.empty()) {
    const std::string& text = args[0];
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::atoi(text.c_str()) < 1 || std::atoi(text.c_str()) > 64)
      return CliError("bench: bad depth '" + text + "': expected a whole number from 1 to 64");
    depth = std::atoi(text.c_str());
  }

  ScopedBenchHome home;
  if (home.Folder.empty()) return CliError("bench: cannot create a temporary folder");
  SetExePath(home.Folder);
  SeedRandomWith(kBenchSeed);
  auto engine = std::make_unique<CSearchEngine>();
  if (!engine->IsReady()) return CliError("bench: " + engine->NotReadyReason());
  engine->UseBook = 0;
  engine->Book.Reset();
  engine->MaxDepth = depth;
  engine->MaxIterTime = INT_MAX;
  engine->MaxSearchTime = INT_MAX;

  const struct {
    int Model;
    const char* Name;
  } models[] = {{EVAL_MODEL_DEFAULT, "default"}, {EVAL_MODEL_ANN, "ann"}};

  uint64_t totalNodes = 0;
  uint64_t totalMs = 0;
  int index = 0;
  for (const auto& model : models) {
    engine->Evaluator.EvalModel = model.Model;
    for (const auto& position : kPositions) {
      ++index;
      int redToMove = 1;
      std::string error;
      if (!LoadEnginePosition(*engine, position.Fen, redToMove, error)) return CliError("bench: " + error);
      const uint32_t start = GetTick();
      const int found = engine->FindBestMove(redToMove, NullMoveAllowed(*engine, 6));
      const uint32_t ms = GetTick() - start;
      totalNodes += engine->NodeCount;
      totalMs += ms;
      std::printf("%2d %-8s eval=%-7s depth=%d nodes=%" PRIu64 " ms=%u move=%s score=%d\n", index, position.Label,
                  model.Name, engine->IterDepth + 1, engine->NodeCount, ms,
                  found ? MoveToIccs(engine->BestMove).c_str() : "none", engine->BestScore);
      std::fflush(stdout);
    }
  }
  const uint64_t nps = totalNodes * 1000 / (totalMs > 0 ? totalMs : 1);
  std::printf("nodes=%" PRIu64 " ms=%" PRIu64 " nps=%" PRIu64 "\n", totalNodes, totalMs, nps);
  return 0;
}

const CliCommand kBench {"bench", "[DEPTH]",
                         "Searches a fixed set of positions to DEPTH plies (default 6) without the book, with\n"
                         "each evaluation model, from fixed keys and a fixed network; one line per search, then\n"
                         "'nodes=N ms=T nps=R'. The node total is the engine's signature.",
                         RunBench};

}  // namespace
