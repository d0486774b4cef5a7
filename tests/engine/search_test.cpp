// The search engine: terminal scores, mates, repetition rules at the root and
// on the path, the book rule, table bounds, iteration limits and stopping.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/tick.h"
#include "engine/engine_position.h"
#include "engine/search_engine.h"
#include "fresh_engine.h"
#include "rules/iccs.h"
#include "rules/move_rules.h"
#include "test_support.h"

// Reaches the engine's path state for the repetition tests.
class CSearchEngineTestAccess {
 public:
  static CMove* PathMoves(CSearchEngine& e) { return e.PathMoves; }
  static bool IsPathRepetition(CSearchEngine& e, int depth) { return e.IsPathRepetition(depth); }
};

namespace {

const char* kStartFen = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

// Mates checked with fairy-stockfish (variant xiangqi). The last mate in one
// leaves red without a legal move while not in check, which loses too.
const char* kMateInOne[] = {
    "3k5/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1",
    "4k4/4r4/9/9/9/9/9/9/9/3K5 b - - 0 1",
    "3ak4/4a1C2/9/9/9/9/9/9/5K3/6R2 w - - 0 1",
    "9/9/3kb4/9/9/9/9/1N2K4/9/1R7 w - - 0 1",
    "3ak4/4a4/9/9/9/9/9/9/4r4/3K5 b - - 0 1",
};
const char* kMateInTwo[] = {
    "9/9/4k4/1C7/9/9/9/1R3K3/9/9 w - - 0 1",
    "9/9/3k5/7C1/9/9/3C5/5K3/9/9 w - - 0 1",
    "3a5/4k4/9/6R2/9/2N6/C8/9/9/3K5 w - - 0 1",
    "5k3/9/9/8c/6n2/9/2r6/9/4K4/5A3 b - - 0 1",
};

// Enters the move into the engine's book for its current position.
void AddBookMove(CSearchEngine& e, const CMove& move) {
  BookNode node;
  const uint64_t lock = e.TransTable.LockOf(e.Position);
  node.LockLo = static_cast<uint32_t>(lock);
  node.LockHi = static_cast<int32_t>(lock >> 32);
  node.Weight = 10;
  node.Piece = move.Piece;
  node.ToRow = move.To.Row;
  node.ToCol = move.To.Col;
  e.Book.AddNode(node);
}

class SearchTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Home = new ScopedTarvoHome();
    Shared = new CSearchEngine();
  }
  static void TearDownTestSuite() {
    delete Shared;
    delete Home;
  }

  // The shared engine with its defaults, an empty book and the given position.
  CSearchEngine& Fresh(const char* fen = kStartFen, int model = EVAL_MODEL_DEFAULT) {
    return PrepareEngine(*Shared, fen, model, Side);
  }
  void Play(const std::vector<std::string>& moves) {
    std::string error;
    for (const auto& move : moves) ASSERT_EQ(PlayEngineMove(*Shared, Side, move, error), 1) << error;
  }
  CMove Iccs(const char* text) {
    CMove move;
    EXPECT_EQ(MoveFromIccs(Shared->Position, text, move), 1);
    return move;
  }
  // Prepares a direct AlphaBeta call the way FindBestMove does.
  void BeginSearch(CSearchEngine& e, int iterDepth) {
    e.StartTick = GetTick();
    e.EngineIdle.store(0);
    e.IterDepth = iterDepth;
    e.TransTable.ClearAll();
    e.TransTable.ResetKeys(e.Position);
  }

  static ScopedTarvoHome* Home;
  static CSearchEngine* Shared;
  int Side = 1;
};

ScopedTarvoHome* SearchTest::Home = nullptr;
CSearchEngine* SearchTest::Shared = nullptr;

int LegalMoves(CPosition& position, int side, CMoveList& list) {
  CMoveList all;
  GenerateAllMoves(position, side, all);
  list.Count = 0;
  for (int i = 0; i < all.Count; ++i)
    if (IsLegalMove(position, side, all.Moves[i])) list.Moves[list.Count++] = all.Moves[i];
  return list.Count;
}

bool Mates(CPosition& position, int side, const CMove& move) {
  CMoveList replies;
  position.MakeMove(move);
  const bool mated = LegalMoves(position, !side, replies) == 0;
  position.UnmakeMove(move);
  return mated;
}

bool HasMateInOne(CPosition& position, int side) {
  CMoveList moves;
  LegalMoves(position, side, moves);
  for (int i = 0; i < moves.Count; ++i)
    if (Mates(position, side, moves.Moves[i])) return true;
  return false;
}

// Every legal reply to the move leaves a mate in one.
bool MatesInTwo(CPosition& position, int side, const CMove& move) {
  CMoveList replies;
  position.MakeMove(move);
  LegalMoves(position, !side, replies);
  bool forced = true;
  for (int i = 0; i < replies.Count && forced; ++i) {
    position.MakeMove(replies.Moves[i]);
    forced = HasMateInOne(position, side);
    position.UnmakeMove(replies.Moves[i]);
  }
  position.UnmakeMove(move);
  return forced;
}

struct SearchSetting {
  int Model;
  int Mode;
};
const SearchSetting kSettings[] = {{EVAL_MODEL_DEFAULT, SEARCH_NEGASCOUT},
                                   {EVAL_MODEL_DEFAULT, SEARCH_MTDF},
                                   {EVAL_MODEL_ANN, SEARCH_NEGASCOUT},
                                   {EVAL_MODEL_ANN, SEARCH_MTDF}};

TEST_F(SearchTest, MateInOneIsFoundAndEndsTheIterations) {
  for (const char* fen : kMateInOne) {
    for (const auto& setting : kSettings) {
      CSearchEngine& e = Fresh(fen, setting.Model);
      e.SearchMode = setting.Mode;
      e.MaxDepth = 8;
      int iterations = 0, lastScore = 0;
      e.OnIteration = [&](const CIterationInfo& info) {
        ++iterations;
        lastScore = info.Score;
      };
      SCOPED_TRACE(std::string(fen) + " model " + std::to_string(setting.Model) + " mode " +
                   std::to_string(setting.Mode));
      ASSERT_EQ(e.FindBestMove(Side, NullMoveAllowed(e, 6)), 1);
      EXPECT_TRUE(e.IsWin());
      EXPECT_EQ(lastScore, MATE_SCORE);
      EXPECT_EQ(iterations, e.IterDepth + 1);
      EXPECT_LE(e.IterDepth, 1);  // a mate without check shows one ply later
      EXPECT_TRUE(Mates(e.Position, Side, e.BestMove)) << MoveToIccs(e.BestMove);
    }
  }
}

TEST_F(SearchTest, MateInTwoIsFoundWithEveryModelAndMode) {
  for (const char* fen : kMateInTwo) {
    for (const auto& setting : kSettings) {
      CSearchEngine& e = Fresh(fen, setting.Model);
      e.SearchMode = setting.Mode;
      e.MaxDepth = 5;
      SCOPED_TRACE(std::string(fen) + " model " + std::to_string(setting.Model) + " mode " +
                   std::to_string(setting.Mode));
      ASSERT_EQ(e.FindBestMove(Side, NullMoveAllowed(e, 6)), 1);
      EXPECT_EQ(e.BestScore, MATE_SCORE);
      EXPECT_TRUE(MatesInTwo(e.Position, Side, e.BestMove)) << MoveToIccs(e.BestMove);
    }
  }
}

TEST_F(SearchTest, SideWithoutLegalMoveLoses) {
  // Black is mated: every node for black scores a loss, and no move is returned.
  CSearchEngine& e = Fresh("3k5/9/9/9/9/9/9/9/3R5/4K4 b - - 0 1");
  BeginSearch(e, 99);
  for (int depth = 0; depth < 3; ++depth)
    EXPECT_EQ(e.AlphaBeta(0, 0, depth, -MATE_SCORE, MATE_SCORE), -MATE_SCORE) << depth;
  e.EngineIdle.store(1);
  EXPECT_EQ(e.FindBestMove(0, 0), 0);
  EXPECT_TRUE(e.IsLoss());
}

TEST_F(SearchTest, RepetitionOnThePathIsFoundUntilACapture) {
  CSearchEngine& e = Fresh();
  CMove* path = CSearchEngineTestAccess::PathMoves(e);
  const char* shuttle[] = {"h2e2", "h7e7", "e2h2", "e7h7", "h2e2"};
  for (int i = 0; i < 5; ++i) {
    path[4 - i] = Iccs(shuttle[i]);
    e.Position.MakeMove(path[4 - i]);
  }
  const CPosition before = e.Position;
  EXPECT_TRUE(CSearchEngineTestAccess::IsPathRepetition(e, 0));
  EXPECT_TRUE(e.Position.SamePlacement(before));

  // A capture between the two equal positions ends the look-back.
  path[2].Captured = 27;  // pretend the middle move took a piece
  EXPECT_FALSE(CSearchEngineTestAccess::IsPathRepetition(e, 0));
  path[2].Captured = 0;
  for (int i = 0; i < 5; ++i) {
    e.Position.UnmakeMove(path[i]);
    path[i] = CMove {};
  }
}

TEST_F(SearchTest, RootRefusesAFourthRepetitionUnlessInCheck) {
  CSearchEngine& e = Fresh();
  e.MaxDepth = 3;
  ASSERT_EQ(e.FindBestMove(Side, 0), 1);
  const CMove favourite = e.BestMove;
  const std::string there = MoveToIccs(favourite), back = there.substr(2, 2) + there.substr(0, 2);
  ASSERT_EQ(favourite.Captured, 0);

  // The board after the favourite stood twice: it may still be chosen.
  Play({there, "h9g7", back, "g7h9", there, "h9g7", back, "g7h9"});
  EXPECT_EQ(e.HistoryRepetitionCount(favourite), 2);
  ASSERT_EQ(e.FindBestMove(Side, 0), 1);
  EXPECT_EQ(e.BestMove, favourite);

  // Three times: never again.
  Play({there, "h9g7", back, "g7h9"});
  EXPECT_EQ(e.HistoryRepetitionCount(favourite), 3);
  EXPECT_EQ(e.HistoryRepetitionCount(Iccs("b2e2")), 0);
  for (int mode : {SEARCH_NEGASCOUT, SEARCH_MTDF}) {
    e.SearchMode = mode;
    e.MaxDepth = 4;
    ASSERT_EQ(e.FindBestMove(Side, 0), 1);
    EXPECT_NE(e.BestMove, favourite) << there;
  }

  // In check the rule is off: the king's only escape is taken a fourth time.
  CSearchEngine& c = Fresh("3k5/9/9/9/P8/9/9/9/4K4/r8 b - - 0 1");
  Play({"a0a1", "e1e0", "a1a0", "e0e1", "a0a1", "e1e0", "a1a0", "e0e1", "a0a1", "e1e0", "a1a0"});
  ASSERT_EQ(Side, 1);
  const CMove escape = Iccs("e0e1");
  EXPECT_EQ(c.HistoryRepetitionCount(escape), 3);
  c.MaxDepth = 3;
  ASSERT_EQ(c.FindBestMove(Side, 0), 1);
  EXPECT_EQ(c.RootInCheck, 1);
  EXPECT_EQ(c.BestMove, escape);
}

TEST_F(SearchTest, BookMoveMustBeLegalAndNotAFourthRepetition) {
  CSearchEngine& e = Fresh();
  e.UseBook = 1;

  const CMove cannon = Iccs("h2e2");
  AddBookMove(e, cannon);
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_EQ(e.BestMove, cannon);
  EXPECT_EQ(e.IterDepth, -1);
  EXPECT_EQ(e.BestScore, NO_SCORE);

  // A book move the piece cannot make is ignored: the engine searches.
  e.Book.Reset();
  CMove diagonal = cannon;
  diagonal.To = CSquare {9, 9};
  AddBookMove(e, diagonal);
  e.MaxDepth = 2;
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_GE(e.IterDepth, 0);
  EXPECT_NE(e.BestScore, NO_SCORE);

  // The book move's position already stood three times: refused.
  e.Book.Reset();
  AddBookMove(e, cannon);
  Play({"h2e2", "h9g7", "e2h2", "g7h9", "h2e2", "h9g7", "e2h2", "g7h9", "h2e2", "h9g7", "e2h2", "g7h9"});
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_GE(e.IterDepth, 0);
  EXPECT_NE(e.BestMove, cannon);
}

TEST_F(SearchTest, TableBoundsEndANodeOnlyOnTheirSide) {
  CSearchEngine& e = Fresh("3k5/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1");
  BeginSearch(e, 99);
  const int reference = e.AlphaBeta(1, 0, 1, -500, 500);
  ASSERT_NE(reference, -1000);
  ASSERT_NE(reference, 1000);
  struct {
    int Flag, Value;
    bool Decides;
  } cases[] = {{HASH_LOWER, -1000, false}, {HASH_UPPER, 1000, false}, {HASH_LOWER, 700, true},
               {HASH_UPPER, -700, true},   {HASH_EXACT, 123, true}};
  for (const auto& c : cases) {
    e.TransTable.ClearAll();
    e.TransTable.Store(1, c.Flag, c.Value, 5, 0, CSquare {});
    const int v = e.AlphaBeta(1, 0, 1, -500, 500);
    if (c.Decides) EXPECT_EQ(v, c.Value) << c.Flag;
    else EXPECT_EQ(v, reference) << c.Flag;
  }
  // A shallower entry never decides, whatever its bound.
  e.TransTable.ClearAll();
  e.TransTable.Store(1, HASH_EXACT, 123, 0, 0, CSquare {});
  EXPECT_EQ(e.AlphaBeta(1, 0, 1, -500, 500), reference);
  e.EngineIdle.store(1);
}

TEST_F(SearchTest, NullMoveReducesOneMorePlyAboveDepthSix) {
  EXPECT_EQ(CSearchEngine::NullMoveReduction(0), 1);
  EXPECT_EQ(CSearchEngine::NullMoveReduction(6), 1);
  EXPECT_EQ(CSearchEngine::NullMoveReduction(7), 2);
  EXPECT_EQ(CSearchEngine::NullMoveReduction(20), 2);
}

TEST_F(SearchTest, IterationDepthStaysBelowMaxDepth) {
  CSearchEngine& e = Fresh();
  for (int maxDepth : {1, 3}) {
    e.MaxDepth = maxDepth;
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    EXPECT_EQ(e.IterDepth, maxDepth - 1);
    EXPECT_EQ(e.EngineIdle.load(), 1);
  }
  e.MaxDepth = 0;  // no iteration would leave the side to move without a move
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_EQ(e.IterDepth, 0);
}

TEST_F(SearchTest, SameSearchCountsTheSameNodes) {
  for (int mode : {SEARCH_NEGASCOUT, SEARCH_MTDF}) {
    CSearchEngine& e = Fresh("1r1akab2/5r3/1cn1b2c1/p7p/1Rp1p2n1/2P3C2/P7P/2N1C1N2/9/2BAKAB1R w - - 2 13");
    e.SearchMode = mode;
    e.MaxDepth = 4;
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    const uint64_t nodes = e.NodeCount;
    const CMove move = e.BestMove;
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    EXPECT_EQ(e.NodeCount, nodes);
    EXPECT_EQ(e.BestMove, move);
  }
}

TEST_F(SearchTest, MtdfResultIsTheConvergedScoreAndItsMove) {
  const char* fens[] = {kStartFen, "1r1akab2/5r3/1cn1b2c1/p7p/1Rp1p2n1/2P3C2/P7P/2N1C1N2/9/2BAKAB1R w - - 2 13",
                        "2b1k2C1/3na2N1/5c3/p4P2p/9/3r5/P3R3P/8B/4A4/3AK4 w - - 9 53"};
  for (const char* fen : fens) {
    CSearchEngine& e = Fresh(fen);
    e.SearchMode = SEARCH_MTDF;
    e.MaxDepth = 4;
    std::vector<CIterationInfo> infos;
    e.OnIteration = [&](const CIterationInfo& info) { infos.push_back(info); };
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    ASSERT_EQ(infos.size(), 4u);
    for (const auto& info : infos) EXPECT_TRUE(info.BestMove.IsComplete()) << fen;
    EXPECT_EQ(e.BestScore, infos.back().Score) << fen;
    EXPECT_EQ(e.BestMove, infos.back().BestMove) << fen;
  }
}

TEST_F(SearchTest, AbortedIterationFallsBackToTheLastCompletedOne) {
  CSearchEngine& e = Fresh();
  e.MaxDepth = 10;
  CMove third;
  int thirdScore = 0;
  uint64_t thirdNodes = 0;
  e.OnIteration = [&](const CIterationInfo& info) {
    if (info.Depth == 3) {
      third = info.BestMove;
      thirdScore = info.Score;
      thirdNodes = info.Nodes;
      e.MaxSearchTime = 0;  // the next iteration times out at its first node
    }
  };
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  // A limit already passed stops the next iteration at its very first node,
  // whenever the clock was last read.
  EXPECT_EQ(e.NodeCount, thirdNodes + 1);
  EXPECT_EQ(e.BestMove, third);
  EXPECT_EQ(e.BestScore, thirdScore);
  EXPECT_EQ(e.IterDepth, 3);
  EXPECT_EQ(e.EngineIdle.load(), 1);
}

TEST_F(SearchTest, StopFromAnotherThreadReturnsTheBestMoveSoFar) {
  for (int mode : {SEARCH_NEGASCOUT, SEARCH_MTDF}) {
    CSearchEngine& e = Fresh();
    e.SearchMode = mode;
    e.MaxDepth = 128;
    std::atomic<int> finished {0};
    e.OnIteration = [&](const CIterationInfo&) { ++finished; };
    // Stops once two iterations are done, however long they take.
    std::thread stopper([&] {
      while (finished.load() < 2) std::this_thread::yield();
      e.EngineIdle.store(1);
    });
    const int found = e.FindBestMove(Side, 1);
    stopper.join();
    ASSERT_EQ(found, 1);
    EXPECT_TRUE(IsLegalMove(e.Position, Side, e.BestMove));
    EXPECT_GE(e.IterDepth, 1);
    EXPECT_LT(e.IterDepth, 40);
    EXPECT_EQ(e.EngineIdle.load(), 1);
  }
}

TEST_F(SearchTest, FirstIterationFinishesWhateverTheLimits) {
  for (int mode : {SEARCH_NEGASCOUT, SEARCH_MTDF}) {
    CSearchEngine& e = Fresh(kStartFen, EVAL_MODEL_ANN);
    e.SearchMode = mode;
    e.MaxDepth = 10;
    e.MaxSearchTime = 0;
    e.MaxIterTime = 0;
    e.MaxNodes = 1;
    int iterations = 0;
    e.OnIteration = [&](const CIterationInfo&) { ++iterations; };
    ASSERT_EQ(e.FindBestMove(Side, 1), 1) << mode;
    EXPECT_EQ(iterations, 1);
    EXPECT_TRUE(IsLegalMove(e.Position, Side, e.BestMove));
    EXPECT_NE(e.BestScore, -MATE_SCORE);
  }
}

TEST_F(SearchTest, NodeLimitEndsTheSearch) {
  CSearchEngine& e = Fresh();
  e.MaxDepth = 20;
  e.MaxNodes = 5000;
  std::vector<CIterationInfo> infos;
  e.OnIteration = [&](const CIterationInfo& info) { infos.push_back(info); };
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  ASSERT_FALSE(infos.empty());
  EXPECT_LT(infos.size(), 20u);
  EXPECT_LE(infos.back().Nodes, 5000u);
  EXPECT_EQ(e.NodeCount, 5001u);  // the node that found the limit reached
  EXPECT_TRUE(IsLegalMove(e.Position, Side, e.BestMove));
}

TEST_F(SearchTest, LostPositionStillPlaysALegalMove) {
  // Red mates in two: after red's first move every black reply loses.
  CSearchEngine& e = Fresh("9/9/4k4/1C7/9/9/9/1R3K3/9/9 w - - 0 1");
  e.MaxDepth = 5;
  ASSERT_EQ(e.FindBestMove(Side, 0), 1);
  ASSERT_EQ(e.BestScore, MATE_SCORE);
  Play({MoveToIccs(e.BestMove)});
  CMoveList replies;
  ASSERT_GT(LegalMoves(e.Position, Side, replies), 0);
  for (int mode : {SEARCH_NEGASCOUT, SEARCH_MTDF}) {
    e.SearchMode = mode;
    e.MaxDepth = 5;
    ASSERT_EQ(e.FindBestMove(Side, 0), 1) << mode;
    EXPECT_TRUE(e.IsLoss());
    EXPECT_TRUE(IsLegalMove(e.Position, Side, e.BestMove)) << MoveToIccs(e.BestMove);
  }
}

TEST_F(SearchTest, PositionWithoutAMoveEndsAfterOneIteration) {
  CSearchEngine& e = Fresh("3k5/9/9/9/9/9/9/9/3R5/4K4 b - - 0 1");
  int iterations = 0;
  e.OnIteration = [&](const CIterationInfo& info) {
    ++iterations;
    EXPECT_EQ(info.Score, -MATE_SCORE);
  };
  EXPECT_EQ(e.FindBestMove(Side, 1), 0);
  EXPECT_EQ(iterations, 1);
  EXPECT_TRUE(e.IsLoss());
}

TEST_F(SearchTest, BannedMovesAreNeverPlayed) {
  CSearchEngine& e = Fresh();
  e.MaxDepth = 3;
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  const CMove favourite = e.BestMove;
  ASSERT_EQ(e.BanMove(favourite), 1);
  EXPECT_TRUE(e.IsBanned(favourite));
  for (int mode : {SEARCH_NEGASCOUT, SEARCH_MTDF}) {
    e.SearchMode = mode;
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    EXPECT_NE(e.BestMove, favourite);
  }
  // Nor from the book.
  AddBookMove(e, favourite);
  e.UseBook = 1;
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_GE(e.IterDepth, 0);
  EXPECT_NE(e.BestMove, favourite);
  e.Book.Reset();

  // Every legal move but one banned: that one; all banned: none.
  CMoveList legal;
  ASSERT_GT(LegalMoves(e.Position, Side, legal), 1);
  for (int i = 1; i < legal.Count; ++i) ASSERT_EQ(e.BanMove(legal.Moves[i]), 1);
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_EQ(e.BestMove, legal.Moves[0]);
  ASSERT_EQ(e.BanMove(legal.Moves[0]), 1);
  EXPECT_EQ(e.FindBestMove(Side, 1), 0);
  e.ClearBannedMoves();
  ASSERT_EQ(e.FindBestMove(Side, 1), 1);
  EXPECT_EQ(e.BestMove, favourite);
}

TEST_F(SearchTest, FirstMoveOfAGameIsDrawnAtRandomFromTheBook) {
  CSearchEngine& e = Fresh();
  ASSERT_EQ(e.RandomBook, 0);
  // A heavy and a light move: a weighted pick would always take the heavy one.
  const CMove heavy = Iccs("h2e2"), light = Iccs("b0c2");
  const uint64_t lock = e.TransTable.LockOf(e.Position);
  for (const auto& [move, weight] : {std::pair {heavy, 1000}, std::pair {light, 1}}) {
    BookNode node;
    node.LockLo = static_cast<uint32_t>(lock);
    node.LockHi = static_cast<int32_t>(lock >> 32);
    node.Weight = weight;
    node.Piece = move.Piece;
    node.ToRow = move.To.Row;
    node.ToCol = move.To.Col;
    e.Book.AddNode(node);
  }
  // The draw is seeded from the clock's milliseconds: a new millisecond, a new draw.
  auto millis = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  };
  bool sawHeavy = false, sawLight = false;
  for (int draw = 0; draw < 400 && !(sawHeavy && sawLight); ++draw) {
    const auto before = millis();
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    EXPECT_EQ(e.IterDepth, -1);
    sawHeavy = sawHeavy || e.BestMove == heavy;
    sawLight = sawLight || e.BestMove == light;
    while (millis() == before) std::this_thread::yield();
  }
  EXPECT_TRUE(sawHeavy);
  EXPECT_TRUE(sawLight);

  // After the first move the book is weighted again.
  Play({"h2e2"});
  e.Book.Reset();
  e.UseBook = 1;
  const uint64_t after = e.TransTable.LockOf(e.Position);
  for (const auto& [text, weight] : {std::pair {"h9g7", 1000}, std::pair {"b9c7", 1}}) {
    const CMove move = Iccs(text);
    BookNode node;
    node.LockLo = static_cast<uint32_t>(after);
    node.LockHi = static_cast<int32_t>(after >> 32);
    node.Weight = weight;
    node.Piece = move.Piece;
    node.ToRow = move.To.Row;
    node.ToCol = move.To.Col;
    e.Book.AddNode(node);
  }
  for (int draw = 0; draw < 3; ++draw) {
    ASSERT_EQ(e.FindBestMove(Side, 1), 1);
    EXPECT_EQ(MoveToIccs(e.BestMove), "h9g7");
  }
}

TEST(SearchEngineSetup, RefusesToSearchWithoutTables) {
  ScopedTarvoHome home;
  // A file where the key folder should be: the key file cannot be written.
  std::FILE* blocker = std::fopen((home.Path() + "rand").c_str(), "w");
  ASSERT_NE(blocker, nullptr);
  std::fclose(blocker);
  auto engine = std::make_unique<CSearchEngine>();
  ASSERT_FALSE(engine->IsReady());
  EXPECT_FALSE(engine->NotReadyReason().empty());
  EXPECT_EQ(engine->FindBestMove(1, 1), 0);
  EXPECT_EQ(engine->BestScore, NO_SCORE);
  EXPECT_EQ(engine->EngineIdle.load(), 1);
}

}  // namespace
