// The self-play job: every record it writes is a whole game whose moves are
// legal and whose result fits how it ended, checked by a replay of our own
// over the plain move generator; runs resume, a seed repeats its games,
// openings vary, a book move is preferred, bad settings are refused.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/opening_book.h"
#include "game/game.h"
#include "game/pgn_move_check.h"
#include "jobs/selfplay_files.h"
#include "jobs/selfplay_job.h"
#include "jobs/whole_game.h"
#include "rules/move_generator.h"
#include "rules/pieces.h"
#include "shared_game_suite.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TagOf(const std::string& text, const std::string& name) {
  const std::string open = "[" + name + " \"";
  const size_t at = text.find(open);
  if (at == std::string::npos) return "?";
  return text.substr(at + open.size(), text.find('"', at + open.size()) - at - open.size());
}

// Pieces on the board by side, counted square by square.
int MaterialDifference(const CPosition& position) {
  int difference = 0;
  for (int square = 0; square < 256; ++square)
    if (const int id = position.Board[square]) difference += id <= 16 ? 1 : -1;
  return difference;
}

bool SideHasLegalMove(CPosition& position, int redToMove) {
  CMoveList list;
  GenerateAllMoves(position, redToMove, list);
  for (int i = 0; i < list.Count; ++i)
    if (!LeavesKingAttacked(position, redToMove, list.Moves[i])) return true;
  return false;
}

struct CReplayed {
  std::vector<CMove> Moves;
  std::string Result, Termination;
};

class SelfPlayJobTest : public SharedGameSuite<> {
 protected:
  void SetUp() override {
    Dir = Home->Path() + "selfplay-" + testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    settings.OutDir = Dir;
    settings.Games = 4;
    settings.A.Depth = settings.B.Depth = 1;
    settings.Threads = 2;
    settings.Seed = 12345;
  }

  CJobError Run(CSelfPlaySettings& s, CSelfPlayRun& run) {
    CJobControl control;
    return RunSelfPlay(s, control, run);
  }

  std::vector<std::string> Names(const std::string& dir) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Loads a record and replays it from the start on a position of our own:
  // every move must be among the mover's generated moves and keep its king
  // safe; the end must fit the Termination tag and the result.
  CReplayed ReplayAndCheck(const std::string& path, const CSelfPlaySettings& s) {
    CReplayed replayed;
    std::string why;
    EXPECT_TRUE(ReadWholeGame(*SharedGame, path, why)) << path << " " << why;
    const std::string text = ReadText(path);
    replayed.Result = TagOf(text, "Result");
    replayed.Termination = TagOf(text, "Termination");
    EXPECT_EQ(SharedGame->Result, replayed.Result) << path;

    CPosition position;
    int red = 1;
    char fen[FEN_BUFFER_SIZE] = {};
    EXPECT_TRUE(position.SetFromBoard(InitialBoard.data(), 1, fen));
    int quiet = 0;
    const CGameRecord& record = SharedGame->Record();
    for (int i = 0; i <= record.Current; ++i) {
      const CMove& move = record[i].Move;
      CMoveList list;
      GenerateAllMoves(position, red, list);
      bool generated = false;
      for (int m = 0; m < list.Count; ++m)
        generated |= list.Moves[m].Piece == move.Piece && list.Moves[m].To == move.To;
      EXPECT_TRUE(generated) << path << " ply " << i + 1;
      EXPECT_FALSE(LeavesKingAttacked(position, red, move)) << path << " ply " << i + 1;
      quiet = position.Board[move.To.Index()] ? 0 : quiet + 1;
      position.MakeMove(move);
      red = 1 - red;
      replayed.Moves.push_back(move);
    }
    const std::string toMoveWins = red ? "1-0" : "0-1", toMoveLoses = red ? "0-1" : "1-0";
    const std::string& t = replayed.Termination;
    const std::string& result = replayed.Result;
    if (t == "checkmate" || t == "no legal move") {
      EXPECT_FALSE(SideHasLegalMove(position, red)) << path;
      EXPECT_EQ(IsInCheck(position, red) != 0, t == "checkmate") << path;
      EXPECT_EQ(result, toMoveLoses) << path;
    } else if (t == "forced win") {
      EXPECT_TRUE(SideHasLegalMove(position, red)) << path;
      EXPECT_EQ(result, toMoveWins) << path;
    } else if (t == "repetition" || t == "resignation") {
      EXPECT_EQ(result, toMoveLoses) << path;
    } else if (t == "capture-free limit") {
      EXPECT_GE(quiet, SharedGame->NaturalLimitPlies) << path;
      EXPECT_EQ(result, "1/2-1/2") << path;
    } else if (t == "ply limit, material") {
      EXPECT_EQ(static_cast<int>(replayed.Moves.size()), s.MaxPlies) << path;
      const int d = MaterialDifference(position);
      EXPECT_EQ(result, d > s.MinDeltaPieceCount ? "1-0" : d < -s.MinDeltaPieceCount ? "0-1" : "1/2-1/2") << path;
    } else {
      ADD_FAILURE() << path << ": unexpected termination '" << t << "'";
    }
    return replayed;
  }

  std::string Dir;
  CSelfPlaySettings settings;
};

TEST_F(SelfPlayJobTest, EveryRecordIsAWholeLegalGameEndedAsItsTagsSay) {
  struct {
    int AEval, BEval, ADepth, BDepth, MaxPlies;
  } const cases[] = {
      {0, 0, 1, 1, 300},
      {1, 0, 1, 2, 300},
      {0, 0, 1, 1, 30},  // most games reach the cap and are decided by material
  };
  int index = 0;
  for (const auto& c : cases) {
    CSelfPlaySettings s = settings;
    s.OutDir = Dir + std::to_string(++index);
    s.A = {c.AEval, c.ADepth, 0};
    s.B = {c.BEval, c.BDepth, 0};
    s.MaxPlies = c.MaxPlies;
    CSelfPlayRun run;
    ASSERT_FALSE(Run(s, run));
    EXPECT_EQ(run.Played, 4);
    EXPECT_EQ(Names(s.OutDir), (std::vector<std::string> {"selfplay_000001.pgn", "selfplay_000002.pgn",
                                                            "selfplay_000003.pgn", "selfplay_000004.pgn"}));
    for (int n = 1; n <= 4; ++n) {
      const std::string path = s.OutDir + "/" + SelfPlayFileName(n);
      ReplayAndCheck(path, s);
      const std::string text = ReadText(path);
      const std::string a = SelfPlaySideName('A', s.A, s.MoveTime), b = SelfPlaySideName('B', s.B, s.MoveTime);
      EXPECT_EQ(TagOf(text, "Red"), n % 2 == 1 ? a : b) << path;
      EXPECT_EQ(TagOf(text, "Black"), n % 2 == 1 ? b : a) << path;
    }
  }
}

// The tags say every limit a side played under.
TEST(SelfPlaySideNameTest, NamesEveryLimit) {
  EXPECT_EQ(SelfPlaySideName('A', {0, 3, 0}, 0), "A: Default depth 3");
  EXPECT_EQ(SelfPlaySideName('B', {1, 20, 5000}, 100), "B: TdbpAnn depth 20 nodes 5000 100 ms");
}

TEST_F(SelfPlayJobTest, ProgressCountsAsResultsFromAsSide) {
  settings.A.Depth = 3;  // the stronger side: wins and losses do not balance
  CJobControl control;
  CJobProgress last;
  int reports = 0;
  control.OnProgress = [&](const CJobProgress& p) {
    last = p;
    ++reports;
  };
  CSelfPlayRun run;
  ASSERT_FALSE(RunSelfPlay(settings, control, run));
  EXPECT_EQ(reports, 5);  // the start, then every game
  EXPECT_EQ(last.Done, 4);
  EXPECT_EQ(last.Total, 4);
  int wins = 0, draws = 0, losses = 0;
  for (int n = 1; n <= 4; ++n) {
    const std::string result = TagOf(ReadText(Dir + SelfPlayFileName(n)), "Result");
    const bool aRed = n % 2 == 1;
    if (result == "1/2-1/2") ++draws;
    else if ((result == "1-0") == aRed) ++wins;
    else ++losses;
  }
  EXPECT_NE(wins, losses);
  EXPECT_EQ(last.Wins, wins);
  EXPECT_EQ(last.Draws, draws);
  EXPECT_EQ(last.Losses, losses);
}

TEST_F(SelfPlayJobTest, AStoppedRunIsResumedWithOnlyTheMissingGames) {
  settings.Threads = 1;
  CJobControl control;
  control.OnProgress = [&](const CJobProgress& p) {
    if (p.Done == 2) control.RequestStop();
  };
  CSelfPlayRun first;
  ASSERT_FALSE(RunSelfPlay(settings, control, first));
  EXPECT_EQ(first.Played, 2);
  const std::string second = ReadText(Dir + SelfPlayFileName(2));
  // Neither a half-written record nor a foreign file counts.
  std::ofstream(Dir + "selfplay_000003.pgn.tmp-a1b2c3") << "[Event \"half";
  std::ofstream(Dir + "notes.pgn") << "not ours";
  fs::remove(Dir + SelfPlayFileName(1));

  CSelfPlayRun resumed;
  ASSERT_FALSE(Run(settings, resumed));
  EXPECT_EQ(resumed.Existing, 1);
  EXPECT_EQ(resumed.Played, 3);
  EXPECT_EQ(ReadText(Dir + SelfPlayFileName(2)), second);
  for (int n = 1; n <= 4; ++n) EXPECT_TRUE(fs::exists(Dir + SelfPlayFileName(n))) << n;

  CSelfPlayRun nothingLeft;
  ASSERT_FALSE(Run(settings, nothingLeft));
  EXPECT_EQ(nothingLeft.Existing, 4);
  EXPECT_EQ(nothingLeft.Played, 0);
}

TEST_F(SelfPlayJobTest, AStopDropsTheGamesInHandAndLeavesOnlyWholeRecords) {
  settings.Games = 6;
  CJobControl control;
  control.OnProgress = [&](const CJobProgress& p) {
    if (p.Done == 1) control.RequestStop();
  };
  CSelfPlayRun run;
  ASSERT_FALSE(RunSelfPlay(settings, control, run));
  // The other worker's game either ended before the stop or was dropped.
  EXPECT_GE(run.Played, 1);
  EXPECT_EQ(run.Played + run.Dropped, 2);
  const std::vector<std::string> names = Names(Dir);
  ASSERT_EQ(static_cast<int>(names.size()), run.Played);
  for (const std::string& name : names) ReplayAndCheck(Dir + name, settings);
}

// A stop cuts the searches in hand short: at a depth no move reaches in
// minutes, the run still ends soon after the request, writing nothing.
TEST_F(SelfPlayJobTest, AStopEndsTheSearchesInHandAndCountsTheGamesAsDropped) {
  settings.Games = 2;
  settings.A.Depth = settings.B.Depth = 64;
  CJobControl control;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    control.RequestStop();
  });
  CSelfPlayRun run;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunSelfPlay(settings, control, run));
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60)) << "a search went on after the stop";
  EXPECT_EQ(run.Played, 0);
  EXPECT_EQ(run.Dropped, 2);
  EXPECT_TRUE(Names(Dir).empty());
}

TEST_F(SelfPlayJobTest, ASeedRepeatsItsGamesWhateverTheThreadsAndOpeningsDiffer) {
  auto gamesOf = [&](int threads, int64_t seed, const std::string& name) {
    CSelfPlaySettings s = settings;
    s.OutDir = Dir + name;
    s.Threads = threads;
    s.Seed = seed;
    CSelfPlayRun run;
    EXPECT_FALSE(Run(s, run));
    std::vector<std::vector<CMove>> games;
    for (int n = 1; n <= 4; ++n) games.push_back(ReplayAndCheck(s.OutDir + "/" + SelfPlayFileName(n), s).Moves);
    return games;
  };
  const auto once = gamesOf(1, 777, "a"), again = gamesOf(1, 777, "b"), threaded = gamesOf(2, 777, "c");
  const auto other = gamesOf(1, 778, "d");
  auto same = [](const std::vector<CMove>& x, const std::vector<CMove>& y) {
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i)
      if (!(x[i].Piece == y[i].Piece && x[i].To == y[i].To)) return false;
    return true;
  };
  auto opening = [&](const std::vector<CMove>& g) {
    return std::vector<CMove>(g.begin(), g.begin() + std::min<size_t>(g.size(), 8));
  };
  for (size_t n = 0; n < 4; ++n) {
    EXPECT_TRUE(same(once[n], again[n])) << "game " << n + 1;
    EXPECT_TRUE(same(once[n], threaded[n])) << "game " << n + 1;
    EXPECT_FALSE(same(opening(once[n]), opening(other[n]))) << "game " << n + 1;
    for (size_t m = 0; m < n; ++m) EXPECT_FALSE(same(opening(once[n]), opening(once[m]))) << n + 1 << " " << m + 1;
  }
}

TEST_F(SelfPlayJobTest, TheBooksMoveIsPreferredOverAnyLegalOne) {
  // A book with one move for the start position: red's central cannon (the
  // right cannon, identity 11 on row 10 column 10, to column 7).
  CPosition start;
  const uint64_t lock = SharedGame->Engine.TransTable.LockOf(start);
  const int cannon = start.Board[10 * 16 + 10];
  ASSERT_GE(cannon, 1);
  ASSERT_LE(cannon, 16);
  COpeningBook book;
  book.Reset();
  book.AddNode({static_cast<uint32_t>(lock), static_cast<int32_t>(lock >> 32), 10, cannon, 10, 7});
  ASSERT_TRUE(book.Save());
  settings.Games = 2;
  CSelfPlayRun run;
  const CJobError error = Run(settings, run);
  fs::remove(COpeningBook::DefaultPath());
  ASSERT_FALSE(error);
  for (int n = 1; n <= 2; ++n) {
    const std::vector<CMove> moves = ReplayAndCheck(Dir + SelfPlayFileName(n), settings).Moves;
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves[0].Piece, cannon);
    EXPECT_EQ(moves[0].To, (CSquare {10, 7}));
  }
}

TEST_F(SelfPlayJobTest, BadSettingsAreRefusedByNameBeforeAnyGame) {
  struct {
    const char* Setting;
    void (*Spoil)(CSelfPlaySettings&);
  } const cases[] = {
      {"Games", [](CSelfPlaySettings& s) { s.Games = 0; }},
      {"AEval", [](CSelfPlaySettings& s) { s.A.EvalModel = 2; }},
      {"BDepth", [](CSelfPlaySettings& s) { s.B.Depth = 0; }},
      {"ANodes", [](CSelfPlaySettings& s) { s.A.Nodes = -1; }},
      {"MoveTime", [](CSelfPlaySettings& s) { s.MoveTime = -5; }},
      {"RandomPlies", [](CSelfPlaySettings& s) { s.RandomPlies = 201; }},
      {"MaxPlies", [](CSelfPlaySettings& s) { s.MaxPlies = 1001; }},
      {"Threads", [](CSelfPlaySettings& s) { s.Threads = 65; }},
      {"Seed", [](CSelfPlaySettings& s) { s.Seed = 4294967296LL; }},
      {"OutDir", [](CSelfPlaySettings& s) { s.OutDir.clear(); }},
  };
  for (const auto& c : cases) {
    CSelfPlaySettings spoilt = settings;
    c.Spoil(spoilt);
    CSelfPlayRun run;
    const CJobError error = Run(spoilt, run);
    EXPECT_EQ(error.Setting, c.Setting);
    EXPECT_NE(error.Fault, CJobFault::None) << c.Setting;
  }
  EXPECT_FALSE(fs::exists(Dir));
}

TEST_F(SelfPlayJobTest, AnOutDirThatCannotBeMadeIsNamed) {
  std::ofstream(Home->Path() + "plain-file") << "x";
  settings.OutDir = Home->Path() + "plain-file/games";
  CSelfPlayRun run;
  const CJobError error = Run(settings, run);
  EXPECT_EQ(error.Fault, CJobFault::CannotWrite);
  EXPECT_NE(EnglishMessage(error).find(settings.OutDir), std::string::npos) << EnglishMessage(error);
}

TEST(SelfPlayFiles, OnlyTheJobsOwnNamesCountAndGapsAreFilledFirst) {
  const struct {
    const char* Name;
    int Number;
  } names[] = {
      {"selfplay_000001.pgn", 1},       {"selfplay_123456.pgn", 123456}, {"selfplay_000001.pgn.tmp-ab12cd", 0},
      {"selfplay_1.pgn", 0},            {"selfplay_0000001.pgn", 0},     {"selfplay_00000a.pgn", 0},
      {"case_win_001.pgn", 0},          {"selfplay_000000.pgn", 0},
  };
  for (const auto& n : names) EXPECT_EQ(SelfPlayNumberOf(n.Name), n.Number) << n.Name;
  EXPECT_EQ(MissingSelfPlayNumbers({2, 5}, 4), (std::vector<int> {1, 3, 4, 6}));
  EXPECT_EQ(MissingSelfPlayNumbers({}, 2), (std::vector<int> {1, 2}));
}

}  // namespace
