// tarvo-cli go: the engine's move for one position.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_command.h"
#include "common/text_encoding.h"
#include "engine/engine_position.h"
#include "engine/search_engine.h"
#include "rules/iccs.h"
#include "rules/notation.h"

namespace {

constexpr int kNullMoveMinPieces = 6;

bool ParseNumber(const std::string& text, long long maxValue, long long& value) {
  if (text.empty() || text.size() > 10) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= maxValue;
}

struct GoOptions {
  std::string Fen;
  std::vector<std::string> Moves;
  int Depth = 0;       // 0: the engine's default
  int MoveTime = -1;   // -1: the engine's default times
  int EvalModel = -1;  // -1: the engine's default
  int SearchMode = SEARCH_NEGASCOUT;
  bool NoBook = false;
  bool NoNull = false;
};

// Arguments after an option up to the next "--" option.
std::vector<std::string> Values(const std::vector<std::string>& args, size_t& i) {
  std::vector<std::string> values;
  while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) values.push_back(args[++i]);
  return values;
}

int ParseGoOptions(const std::vector<std::string>& args, GoOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::vector<std::string> values =
        arg == "--no-book" || arg == "--no-null" ? std::vector<std::string> {} : Values(args, i);
    auto single = [&](const char* what) -> const std::string* {
      if (values.size() != 1) {
        CliError(std::string("go: ") + arg + " needs exactly one " + what);
        return nullptr;
      }
      return &values[0];
    };
    long long number = 0;
    if (arg == "--fen") {
      if (values.empty()) return CliError("go: --fen needs a FEN");
      for (const auto& field : values) options.Fen += (options.Fen.empty() ? "" : " ") + field;
    } else if (arg == "--moves") {
      options.Moves.insert(options.Moves.end(), values.begin(), values.end());
    } else if (arg == "--depth") {
      const std::string* text = single("number");
      if (!text) return 1;
      if (!ParseNumber(*text, DEFAULT_MAX_DEPTH, number) || number < 1)
        return CliError("go: bad depth '" + *text + "': expected a whole number from 1 to " +
                        std::to_string(DEFAULT_MAX_DEPTH));
      options.Depth = static_cast<int>(number);
    } else if (arg == "--movetime") {
      const std::string* text = single("number");
      if (!text) return 1;
      if (!ParseNumber(*text, 2000000000, number) || number < 1)
        return CliError("go: bad move time '" + *text + "': expected milliseconds, at least 1");
      options.MoveTime = static_cast<int>(number);
    } else if (arg == "--eval") {
      const std::string* text = single("model");
      if (!text) return 1;
      if (*text == "default") options.EvalModel = EVAL_MODEL_DEFAULT;
      else if (*text == "ann") options.EvalModel = EVAL_MODEL_ANN;
      else return CliError("go: bad evaluation model '" + *text + "': expected default or ann");
    } else if (arg == "--search") {
      const std::string* text = single("mode");
      if (!text) return 1;
      if (*text == "negascout") options.SearchMode = SEARCH_NEGASCOUT;
      else if (*text == "mtdf") options.SearchMode = SEARCH_MTDF;
      else return CliError("go: bad search mode '" + *text + "': expected negascout or mtdf");
    } else if (arg == "--no-book") {
      options.NoBook = true;
    } else if (arg == "--no-null") {
      options.NoNull = true;
    } else {
      return CliError("go: unknown argument '" + arg + "' (tarvo-cli go --help)");
    }
  }
  return 0;
}

std::string ScoreText(int score) { return score == NO_SCORE ? "none" : std::to_string(score); }

int RunGo(const std::vector<std::string>& args) {
  GoOptions options;
  if (ParseGoOptions(args, options) != 0) return 1;

  auto engine = std::make_unique<CSearchEngine>();
  if (!engine->IsReady()) return CliError("go: " + engine->NotReadyReason());
  int redToMove = 1;
  std::string error;
  if (!LoadEnginePosition(*engine, options.Fen, redToMove, error)) return CliError("go: " + error);
  for (const auto& move : options.Moves)
    if (!PlayEngineMove(*engine, redToMove, move, error)) return CliError("go: " + error);

  if (options.Depth > 0) engine->MaxDepth = options.Depth;
  if (options.MoveTime > 0) {
    engine->MaxSearchTime = options.MoveTime;
    engine->MaxIterTime = static_cast<int>(static_cast<long long>(options.MoveTime) * 3 / 4);
  }
  if (options.EvalModel >= 0) engine->Evaluator.EvalModel = options.EvalModel;
  engine->SearchMode = options.SearchMode;
  if (options.NoBook) {
    engine->UseBook = 0;
    engine->Book.Reset();  // also no book for a game's first move
  }
  if (options.NoNull) engine->UseNullMove = 0;

  engine->OnIteration = [](const CIterationInfo& info) {
    std::printf("info depth %d score %d ms %u nodes %" PRIu64 " move %s\n", info.Depth, info.Score,
                info.ElapsedMs, info.Nodes,
                info.BestMove.IsComplete() ? MoveToIccs(info.BestMove).c_str() : "none");
    std::fflush(stdout);
  };
  const int found = engine->FindBestMove(redToMove, NullMoveAllowed(*engine, kNullMoveMinPieces));
  if (!found) {
    std::printf("bestmove none score=%s\n", ScoreText(engine->BestScore).c_str());
    return 0;
  }
  const std::string notation = Gb2312ToUtf8(FormatMove(engine->Position, engine->BestMove));
  std::printf("bestmove %s %s score=%s depth=%d ms=%u nodes=%" PRIu64 "\n", MoveToIccs(engine->BestMove).c_str(),
              notation.c_str(), ScoreText(engine->BestScore).c_str(), engine->IterDepth + 1, engine->Elapsed,
              engine->NodeCount);
  return 0;
}

const CliCommand kGo {"go",
                      "[--fen FEN] [--moves ICCS...] [--depth N] [--movetime MS] [--eval default|ann] "
                      "[--search negascout|mtdf] [--no-book] [--no-null]",
                      "The engine's move for the side to move: the opening book, else an iterative-deepening\n"
                      "search. --moves plays moves (ICCS, e.g. h2e2) after the FEN first. Without --movetime\n"
                      "the engine's own limits hold (no new iteration after 3000 ms, none runs past 4000 ms);\n"
                      "without --depth at most 124 iterations run. Every limit holds, the first reached ends\n"
                      "the search, but the first iteration always finishes.\n"
                      "Prints one info line per finished iteration, then\n"
                      "'bestmove ICCS NOTATION score=.. depth=.. ms=.. nodes=..'.",
                      RunGo};

}  // namespace
