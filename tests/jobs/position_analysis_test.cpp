// The analysis worker: restarts on a new position, leaves no thread behind,
// reports lines that can be played from the position, several distinct
// lines best first, and a mate as a mate.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_position.h"
#include "engine/principal_line.h"
#include "engine/score_units.h"
#include "analysis_watcher.h"
#include "jobs/position_analysis.h"
#include "rules/iccs.h"
#include "rules/move_generator.h"
#include "rules/move_tables.h"
#include "rules/notation_maps.h"
#include "test_support.h"

namespace {

int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

CPosition PositionOf(const char* fen, int& redToMove) {
  CPosition position;
  EXPECT_EQ(position.SetFromFen(fen, redToMove), 1) << fen;
  return position;
}

// Collects the reports of the worker and lets the test wait for one.
class AnalysisTest : public testing::Test {
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

  void Watch(CPositionAnalysis& analysis) { Watcher.Watch(analysis); }
  // Waits (bounded, so a fault fails rather than hangs) for a report that passes the test.
  template <class Test>
  CAnalysisReport WaitFor(Test test) {
    return Watcher.WaitFor(test, std::chrono::seconds(120));
  }
  size_t ReportCount() { return Watcher.Count(); }

  static inline ScopedTarvoHome* Home = nullptr;
  CAnalysisWatcher Watcher;
};

TEST_F(AnalysisTest, RestartsOnANewPositionAndLeavesNoThreadWhenDestroyed) {
  const int threadsBefore = ThreadCount();
  {
    CPositionAnalysis analysis;  // without end: only a restart or the destructor stops it
    ASSERT_TRUE(analysis.IsReady());
    Watch(analysis);
    int red = 1;
    const uint64_t first = analysis.Analyse(CPosition(), 1);
    WaitFor([&](const CAnalysisReport& r) { return r.PositionId == first && r.IterationDone && r.Depth >= 2; });
    // Between iterations: progress with the speed and the lines so far.
    const CAnalysisReport tick = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == first && !r.IterationDone; });
    EXPECT_GT(tick.Nodes, 0u);
    EXPECT_GT(tick.NodesPerSecond, 0u);
    EXPECT_FALSE(tick.Lines.empty());
    EXPECT_EQ(ThreadCount(), threadsBefore + 1);

    const CPosition second = PositionOf("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR b - - 0 1", red);
    const uint64_t id = analysis.Analyse(second, red);
    EXPECT_NE(id, first);
    const size_t atRestart = ReportCount();
    EXPECT_TRUE(analysis.IsRunning());
    const CAnalysisReport report = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == id && r.IterationDone; });
    ASSERT_FALSE(report.Lines.empty());
    // The new lines are black's, from the new position.
    EXPECT_EQ(PlayableLine(second, 0, report.Lines[0].Moves).size(), report.Lines[0].Moves.size());
    EXPECT_EQ(analysis.LastReport().PositionId, id);
    const std::vector<CAnalysisReport> reports = Watcher.Taken();
    for (size_t i = atRestart; i < reports.size(); ++i) EXPECT_EQ(reports[i].PositionId, id);
    EXPECT_EQ(ThreadCount(), threadsBefore + 1);
  }
  EXPECT_EQ(ThreadCount(), threadsBefore);

  // Stop alone ends the worker too, and no report comes after it.
  CPositionAnalysis analysis;
  Watch(analysis);
  const uint64_t id = analysis.Analyse(CPosition(), 1);
  WaitFor([&](const CAnalysisReport& r) { return r.PositionId == id; });
  analysis.Stop();
  EXPECT_FALSE(analysis.IsRunning());
  const size_t stoppedAt = ReportCount();
  EXPECT_EQ(ThreadCount(), threadsBefore);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(ReportCount(), stoppedAt);
}

TEST_F(AnalysisTest, LinesArePlayableFromThePositionAndWrittenInNotation) {
  const char* fens[] = {
      "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1",
      "r1bakab1r/9/1cn4cn/p1p1p1p1p/9/9/P1P1P1P1P/1C2C1N2/9/RNBAKAB1R w - - 0 1",
      "4k4/4a4/9/9/9/9/9/2C6/r8/3K4R b - - 0 1",  // an endgame, black to move
  };
  for (const char* fen : fens) {
    SCOPED_TRACE(fen);
    Watcher.Clear();
    CAnalysisSettings settings;
    settings.MaxDepth = 6;
    CPositionAnalysis analysis(settings);
    Watch(analysis);
    int red = 1;
    const CPosition position = PositionOf(fen, red);
    const uint64_t id = analysis.Analyse(position, red);
    const CAnalysisReport last = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == id && r.Finished; });
    ASSERT_EQ(last.Lines.size(), 1u);
    const CAnalysisLine& line = last.Lines[0];
    EXPECT_EQ(line.Depth, 6);
    ASSERT_FALSE(line.Moves.empty());
    // Played out with the rules' own check, move by move, each by the side to move.
    CPosition walk = position;
    int side = red;
    for (const CMove& move : line.Moves) {
      CMove fresh;
      ASSERT_EQ(MoveFromIccs(walk, MoveToIccs(move), fresh), 1);
      EXPECT_EQ(PieceSide[fresh.Piece], side ? RED : BLACK);
      EXPECT_EQ(IsLegalMove(walk, side, fresh), 1) << MoveToIccs(move);
      walk.MakeMove(fresh);
      side = !side;
    }
    const std::string text = LineNotation(position, red, line.Moves);
    EXPECT_EQ(text.size(), line.Moves.size() * 9 - 1);
    EXPECT_EQ(LineIccs(line.Moves).size(), line.Moves.size() * 5 - 1);
  }
}

TEST_F(AnalysisTest, PlayableLineStopsAtAnIllegalMoveOrARepetition) {
  int red = 1;
  const CPosition start;
  auto moves = [&](const std::vector<const char*>& iccs) {
    std::vector<CMove> line;
    CPosition walk = start;
    for (const char* text : iccs) {
      CMove move;
      MoveFromIccs(walk, text, move);
      line.push_back(move);
      walk.MakeMove(move);
    }
    return line;
  };
  // The horses out and back bring the start position back at the fourth move.
  EXPECT_EQ(PlayableLine(start, red, moves({"h0g2", "h9g7", "g2h0", "g7h9", "h2e2"})).size(), 3u);
  // A red move when black is to move ends the line at once.
  EXPECT_TRUE(PlayableLine(start, 0, moves({"h2e2"})).empty());
  // A cannon that cannot jump (b2b8 has a piece between and takes nothing) ends it after the first move.
  EXPECT_EQ(PlayableLine(start, red, moves({"h2e2", "h9g7", "b2b8"})).size(), 2u);
}

TEST_F(AnalysisTest, SeveralLinesHaveDistinctFirstMovesBestFirst) {
  CAnalysisSettings settings;
  settings.MultiPv = 3;
  settings.MaxDepth = 4;
  ASSERT_FALSE(CheckAnalysisSettings(settings));
  CPositionAnalysis analysis(settings);
  Watch(analysis);
  int red = 1;
  const CPosition position = PositionOf("r1bakab1r/9/1cn4cn/p1p1p1p1p/9/9/P1P1P1P1P/1C2C1N2/9/RNBAKAB1R b - - 0 1", red);
  const uint64_t id = analysis.Analyse(position, red);
  const CAnalysisReport last = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == id && r.Finished; });
  ASSERT_EQ(last.Lines.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_FALSE(last.Lines[i].Moves.empty());
    EXPECT_EQ(last.Lines[i].Depth, 4);
    for (size_t j = 0; j < i; ++j) {
      EXPECT_NE(last.Lines[i].Moves[0], last.Lines[j].Moves[0]);
      // Black to move: best is lowest from red's side.
      EXPECT_LE(last.Lines[j].RedCentipawns, last.Lines[i].RedCentipawns);
    }
  }
}

TEST_F(AnalysisTest, AMateIsReportedForTheWinnerWithItsMove) {
  CPositionAnalysis analysis;
  Watch(analysis);
  int red = 1;
  // Red's chariots: b0b9 mates (a8 holds the eighth rank).
  const CPosition position = PositionOf("4k4/R8/9/9/9/9/9/9/9/1R1K5 w - - 0 1", red);
  const uint64_t id = analysis.Analyse(position, red);
  const CAnalysisReport last = WaitFor([&](const CAnalysisReport& r) { return r.PositionId == id && r.Finished; });
  ASSERT_EQ(last.Lines.size(), 1u);
  EXPECT_TRUE(last.Lines[0].Mate);
  EXPECT_EQ(last.Lines[0].RedCentipawns, MATE_CENTIPAWNS);
  EXPECT_EQ(last.Lines[0].MateMoves, 1);
  ASSERT_FALSE(last.Lines[0].Moves.empty());
  EXPECT_EQ(MoveToIccs(last.Lines[0].Moves[0]), "b0b9");
}

TEST(AnalysisSettings, OutOfRangeSettingsAreNamed) {
  EXPECT_FALSE(CheckAnalysisSettings(CAnalysisSettings {}));
  CAnalysisSettings settings;
  settings.MultiPv = 9;
  EXPECT_EQ(CheckAnalysisSettings(settings).Setting, "MultiPv");
  settings = {};
  settings.TickIntervalMs = 10;
  EXPECT_EQ(CheckAnalysisSettings(settings).Setting, "TickIntervalMs");
  settings = {};
  settings.MaxDepth = 0;
  EXPECT_EQ(CheckAnalysisSettings(settings).Setting, "MaxDepth");
}

}  // namespace
