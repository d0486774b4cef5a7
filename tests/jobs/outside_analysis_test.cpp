// The analysis with an outside UCI engine: a shell-script engine with fixed
// "info" lines stands in for the program, so depth, the score from red's
// side and the line's moves are known; a restart stops its search, Stop
// ends it, and an engine that fails ends the analysis with a reason.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine_position.h"
#include "engine/score_units.h"
#include "analysis_watcher.h"
#include "jobs/position_analysis.h"
#include "rules/iccs.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "test_support.h"

namespace {

constexpr const char* kStart = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w";
constexpr const char* kAfterCannon = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b";
constexpr const char* kFairy = "/usr/games/fairy-stockfish";

bool NoChildLeft() {
  errno = 0;
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// ICCS moves written by hand, read on the board they are played from.
std::vector<CMove> MovesOf(CPosition position, const std::vector<std::string>& iccs) {
  std::vector<CMove> moves;
  for (const std::string& text : iccs) {
    CMove move;
    EXPECT_EQ(MoveFromIccs(position, text, move), 1) << text;
    moves.push_back(move);
    position.MakeMove(move);
  }
  return moves;
}

class OutsideAnalysisTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    BuildMoveTables();
    BuildNotationMaps();
    Home = new ScopedTarvoHome();
  }
  static void TearDownTestSuite() {
    delete Home;
    Home = nullptr;
  }
  void SetUp() override {
    Folder = Home->Path() + testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    std::filesystem::create_directories(Folder);
    Log = Folder + "input.log";
  }
  void TearDown() override { EXPECT_TRUE(NoChildLeft()); }

  // Red to move: a bound line to be passed over, the best line (its third
  // move cannot be played) and a second line. Black to move: a score, then
  // a mate. "stop" is answered with a bestmove.
  std::string ScriptEngine(const std::string& goExtra = "") {
    const std::string path = Folder + "engine.sh";
    std::ofstream(path) << "while IFS= read -r line; do\n"
                           "  echo \"$line\" >> '" << Log << "'\n"
                           "  case \"$line\" in\n"
                           "    uci) echo 'id name Scripty'; echo uciok;;\n"
                           "    isready) echo readyok;;\n"
                           "    'position fen'*) fen=\"$line\";;\n"
                           "    go*) " << goExtra << "\n"
                           "      case \"$fen\" in\n"
                           "        *' b'*) echo 'info depth 8 multipv 1 score cp -40 nodes 400 nps 800 time 50 pv h10g8 h1g3'\n"
                           "                echo 'info depth 9 multipv 1 score mate -2 nodes 900 nps 900 time 100 pv h10g8 h1g3';;\n"
                           "        *) echo 'info depth 7 multipv 1 score cp 900 lowerbound nodes 100 pv h3e3'\n"
                           "           echo 'info depth 7 seldepth 9 multipv 1 score cp 35 nodes 12345 nps 67890 time 182 pv h3e3 h10g8 a1a9'\n"
                           "           echo 'info depth 7 multipv 2 score cp 10 nodes 12400 nps 67890 time 183 pv b3e3';;\n"
                           "      esac;;\n"
                           "    stop) echo 'bestmove h3e3';;\n"
                           "    quit) exit 0;;\n"
                           "  esac\n"
                           "done\n";
    return "sh '" + path + "'";
  }
  std::vector<std::string> LogLines() {
    std::ifstream in(Log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  CPosition PositionOf(const char* fen, int& redToMove) {
    CPosition position;
    EXPECT_EQ(position.SetFromFen(fen, redToMove), 1) << fen;
    return position;
  }

  void Watch(CPositionAnalysis& analysis) { Watcher.Watch(analysis); }
  // Waits (bounded, so a fault fails rather than hangs) for a report that passes the test.
  template <class Test>
  CAnalysisReport WaitFor(Test test) {
    return Watcher.WaitFor(test, std::chrono::seconds(30));
  }

  static inline ScopedTarvoHome* Home = nullptr;
  std::string Folder;
  std::string Log;
  CAnalysisWatcher Watcher;
};

struct CExpectedLine {
  const char* Fen;
  int Depth;
  int RedCentipawns;
  bool Mate;
  int MateMoves;
  std::vector<std::string> Iccs;
};

TEST_F(OutsideAnalysisTest, ReportsCarryDepthRedSideScoreAndTheLineAsMoves) {
  const CExpectedLine cases[] = {
      // The bound line's 900 never shows; the line stops before a0a8 (a pawn is in the way).
      {kStart, 7, 35, false, 0, {"h2e2", "h9g7"}},
      // Black to move: its -40 is red's +40, and its being mated is red's mate.
      {kAfterCannon, 8, 40, false, 0, {"h9g7", "h0g2"}},
      {kAfterCannon, 9, MATE_CENTIPAWNS, true, 2, {"h9g7", "h0g2"}},
  };
  CAnalysisSettings settings;
  settings.EngineCommand = ScriptEngine();
  CPositionAnalysis analysis(settings);
  Watch(analysis);
  for (const CExpectedLine& expected : cases) {
    SCOPED_TRACE(std::string(expected.Fen) + " depth " + std::to_string(expected.Depth));
    int redToMove = 1;
    const CPosition position = PositionOf(expected.Fen, redToMove);
    const uint64_t id = analysis.Analyse(position, redToMove);
    const CAnalysisReport report = WaitFor([&](const CAnalysisReport& r) {
      return r.PositionId == id && r.IterationDone && r.Depth == expected.Depth;
    });
    EXPECT_FALSE(report.Failed) << report.Failure;
    ASSERT_EQ(report.Lines.size(), 1u);  // the second line is not asked for
    const CAnalysisLine& line = report.Lines[0];
    EXPECT_EQ(line.Depth, expected.Depth);
    EXPECT_EQ(line.RedCentipawns, expected.RedCentipawns);
    EXPECT_EQ(line.Mate, expected.Mate);
    EXPECT_EQ(line.MateMoves, expected.MateMoves);
    EXPECT_EQ(line.Moves, MovesOf(position, expected.Iccs));
  }
  analysis.Stop();
  EXPECT_TRUE(NoChildLeft());
}

TEST_F(OutsideAnalysisTest, RestartStopsTheSearchAndKeepsTheProgramStopEndsIt) {
  CAnalysisSettings settings;
  settings.EngineCommand = ScriptEngine();
  settings.MultiPv = 2;
  CPositionAnalysis analysis(settings);
  Watch(analysis);
  int redToMove = 1;
  const CPosition start = PositionOf(kStart, redToMove);
  const uint64_t first = analysis.Analyse(start, redToMove);
  const CAnalysisReport two = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == first && r.Lines.size() == 2; });
  ASSERT_EQ(two.Lines.size(), 2u);
  EXPECT_EQ(two.Lines[1].RedCentipawns, 10);
  EXPECT_EQ(two.Lines[1].Moves, MovesOf(start, {"b2e2"}));

  const CPosition after = PositionOf(kAfterCannon, redToMove);
  const uint64_t second = analysis.Analyse(after, redToMove);
  WaitFor([&](const CAnalysisReport& r) { return r.PositionId == second && r.Depth == 9; });
  analysis.Stop();
  EXPECT_FALSE(analysis.IsRunning());
  EXPECT_TRUE(NoChildLeft());

  const std::vector<std::string> expected {"uci",
                                           "setoption name UCI_Variant value xiangqi",
                                           "isready",
                                           "setoption name MultiPV value 2",
                                           "position fen " + start.Fen(1),
                                           "go infinite",
                                           "stop",
                                           "position fen " + after.Fen(0),
                                           "go infinite",
                                           "stop",
                                           "quit"};
  EXPECT_EQ(LogLines(), expected);
}

TEST_F(OutsideAnalysisTest, AFailingEngineEndsTheAnalysisWithItsReason) {
  // A program that is not there, and one that dies while searching.
  for (const std::string& command : {"sh '" + Folder + "missing.sh'", ScriptEngine("exit 3;;")}) {
    SCOPED_TRACE(command);
    Watcher.Clear();  // the ids start again with each analysis
    CAnalysisSettings settings;
    settings.EngineCommand = command;
    CPositionAnalysis analysis(settings);
    Watch(analysis);
    int redToMove = 1;
    const uint64_t id = analysis.Analyse(PositionOf(kStart, redToMove), redToMove);
    const CAnalysisReport report = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == id && r.Failed; });
    EXPECT_TRUE(report.Finished);
    EXPECT_EQ(report.Failure, "the engine " + command + " ended");
    analysis.Stop();
    EXPECT_TRUE(NoChildLeft());
  }
}

TEST_F(OutsideAnalysisTest, TheRealEngineGivesALegalFirstMove) {
  if (!std::filesystem::exists(kFairy)) GTEST_SKIP() << kFairy << " is not installed";
  CAnalysisSettings settings;
  settings.EngineCommand = kFairy;
  CPositionAnalysis analysis(settings);
  Watch(analysis);
  int redToMove = 1;
  CPosition position = PositionOf(kAfterCannon, redToMove);
  const uint64_t id = analysis.Analyse(position, redToMove);
  const CAnalysisReport report = WaitFor([&](const CAnalysisReport& r) {
    return r.PositionId == id && (r.Failed || (r.Depth >= 5 && !r.Lines.empty()));
  });
  analysis.Stop();
  ASSERT_FALSE(report.Failed) << report.Failure;
  ASSERT_FALSE(report.Lines.empty());
  ASSERT_FALSE(report.Lines[0].Moves.empty());
  EXPECT_EQ(IsLegalMove(position, redToMove, report.Lines[0].Moves[0]), 1);
  // Not a lost position for black after one move: no mate, a modest score.
  EXPECT_FALSE(report.Lines[0].Mate);
  EXPECT_LT(std::abs(report.Lines[0].RedCentipawns), 300);
}

}  // namespace
