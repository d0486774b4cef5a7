// The UCCI / UCI session held in-process: every answer of a scripted
// conversation, including stop and isready while the engine thinks.
#include "engine/ucci_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_position.h"
#include "rules/iccs.h"
#include "test_support.h"

namespace {

// Collects what the session writes; safe to read while its worker writes.
class CLockedOutput : public std::streambuf {
 public:
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(Mutex);
    std::vector<std::string> lines;
    std::istringstream in(Text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
  // Waits until a line after the first `from` lines starts with prefix; its index or -1.
  int WaitFor(const std::string& prefix, size_t from, int timeoutMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
      const auto lines = Lines();
      for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
  }

 protected:
  int overflow(int c) override {
    std::lock_guard<std::mutex> lock(Mutex);
    if (c != traits_type::eof()) Text.push_back(static_cast<char>(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::lock_guard<std::mutex> lock(Mutex);
    Text.append(s, static_cast<size_t>(n));
    return n;
  }

 private:
  std::mutex Mutex;
  std::string Text;
};

class UcciSessionTest : public testing::Test {
 protected:
  ScopedTarvoHome Home;
  CLockedOutput Buffer;
  std::ostream Out {&Buffer};

  size_t Count() { return Buffer.Lines().size(); }
  // Sends a line and returns the lines it produced at once.
  std::vector<std::string> Say(CUcciSession& session, const std::string& line) {
    const size_t before = Count();
    EXPECT_TRUE(session.HandleLine(line)) << line;
    const auto lines = Buffer.Lines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end());
  }
  // Sends a go command and returns the move of its answer ("" when none came).
  std::string Think(CUcciSession& session, const std::string& go) {
    const size_t before = Count();
    EXPECT_TRUE(session.HandleLine(go));
    session.WaitForSearch();
    const int at = Buffer.WaitFor("bestmove", before, 1);
    const int none = Buffer.WaitFor("nobestmove", before, 1);
    if (none >= 0) return "nobestmove";
    if (at < 0) return "";
    return Buffer.Lines()[static_cast<size_t>(at)].substr(9);
  }
};

TEST_F(UcciSessionTest, ScriptedUcciConversation) {
  CUcciSession session(Out, CProtocol::Ucci);

  auto hello = Say(session, "ucci");
  ASSERT_GE(hello.size(), 3u);
  EXPECT_EQ(hello.front(), "id name Tarvo");
  EXPECT_EQ(hello.back(), "ucciok");
  int options = 0;
  for (const auto& line : hello)
    if (line.rfind("option ", 0) == 0) {
      ++options;
      EXPECT_NE(line.find(" type "), std::string::npos) << line;
    }
  EXPECT_EQ(options, 8);
  EXPECT_EQ(Say(session, "isready"), std::vector<std::string> {"readyok"});

  // Settings.
  EXPECT_TRUE(Say(session, "setoption usebook false").empty());
  EXPECT_EQ(session.Engine().UseBook, 0);
  EXPECT_TRUE(session.Engine().Book.Nodes.empty());
  EXPECT_TRUE(Say(session, "setoption evalmodel default").empty());
  EXPECT_EQ(session.Engine().Evaluator.EvalModel, EVAL_MODEL_DEFAULT);
  EXPECT_TRUE(Say(session, "setoption hashsize 16").empty());
  EXPECT_EQ(session.Engine().TransTable.Count, 16 * 1024 * 1024 / 64);
  EXPECT_TRUE(Say(session, "setoption searchmode mtdf").empty());
  EXPECT_EQ(session.Engine().SearchMode, SEARCH_MTDF);
  EXPECT_TRUE(Say(session, "setoption searchmode negascout").empty());
  EXPECT_TRUE(Say(session, "setoption nullmove false").empty());
  EXPECT_EQ(session.Engine().UseNullMove, 0);
  EXPECT_EQ(Say(session, "setoption nullminpieces 99").size(), 1u);
  EXPECT_EQ(Say(session, "setoption colour blue").size(), 1u);

  // Positions enter the game record.
  EXPECT_TRUE(Say(session, "position startpos moves h2e2 h9g7").empty());
  EXPECT_EQ(session.Engine().Record.Current, 1);
  EXPECT_EQ(session.RedToMove(), 1);
  const auto refused = Say(session, "position startpos moves h2e2 h2e3");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].rfind("info string", 0), 0u);
  // Refused as a whole: no position is left to search, not even a part of it.
  EXPECT_EQ(Think(session, "go depth 1"), "nobestmove");
  EXPECT_TRUE(Say(session, "position startpos moves h2e2").empty());
  EXPECT_EQ(session.Engine().Record.Current, 0);

  // A finite search: one info line per iteration, then a legal move for black.
  size_t before = Count();
  const std::string reply = Think(session, "go depth 3");
  auto lines = Buffer.Lines();
  for (int depth = 1; depth <= 3; ++depth) {
    const int at = Buffer.WaitFor("info depth " + std::to_string(depth) + " ", before, 1);
    ASSERT_GE(at, 0) << depth;
    const std::string& info = lines[static_cast<size_t>(at)];
    for (const char* field : {" score ", " time ", " nodes ", " pv "})
      EXPECT_NE(info.find(field), std::string::npos) << info;
  }
  CMove move;
  ASSERT_EQ(MoveFromIccs(session.Engine().Position, reply, move), 1) << reply;
  EXPECT_EQ(IsLegalMove(session.Engine().Position, 0, move), 1) << reply;

  // Thinking without limit: isready is answered at once, stop brings the move.
  before = Count();
  EXPECT_TRUE(session.HandleLine("go infinite"));
  ASSERT_GE(Buffer.WaitFor("info depth 2", before), 0);
  EXPECT_TRUE(session.IsSearching());
  const size_t ready = Count();
  EXPECT_TRUE(session.HandleLine("isready"));
  ASSERT_GE(Buffer.WaitFor("readyok", ready, 2000), 0);
  EXPECT_TRUE(session.IsSearching());
  EXPECT_LT(Buffer.WaitFor("bestmove", before, 1), 0);
  EXPECT_TRUE(session.HandleLine("stop"));
  EXPECT_FALSE(session.IsSearching());
  lines = Buffer.Lines();
  ASSERT_EQ(lines.back().rfind("bestmove ", 0), 0u);
  ASSERT_EQ(MoveFromIccs(session.Engine().Position, lines.back().substr(9), move), 1);
  EXPECT_EQ(IsLegalMove(session.Engine().Position, 0, move), 1);

  // A won position still gets its move; a lost one has none.
  EXPECT_TRUE(Say(session, "position fen 3k5/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1").empty());
  EXPECT_EQ(Think(session, "go depth 5"), "e1d1");
  EXPECT_TRUE(Say(session, "position fen 3k5/9/9/9/9/9/9/9/3R5/4K4 b - - 0 1").empty());
  EXPECT_EQ(Think(session, "go depth 3"), "nobestmove");

  // Clock-driven searches, in milliseconds once the GUI says so.
  EXPECT_TRUE(Say(session, "setoption usemillisec true").empty());
  EXPECT_TRUE(Say(session, "position startpos").empty());
  EXPECT_EQ(Think(session, "go movetime 100").size(), 4u);
  EXPECT_EQ(Think(session, "go time 3000 increment 100").size(), 4u);
  EXPECT_EQ(session.Engine().MaxSearchTime, 3000 / 25 + 75);

  before = Count();
  EXPECT_FALSE(session.HandleLine("quit"));
  EXPECT_EQ(Buffer.Lines().back(), "bye");
}

TEST_F(UcciSessionTest, TimesAreSecondsUnlessUseMillisecIsSet) {
  CUcciSession session(Out, CProtocol::Ucci);
  const auto hello = Say(session, "ucci");
  EXPECT_NE(std::find(hello.begin(), hello.end(), "option usemillisec type check default false"), hello.end());
  EXPECT_TRUE(Say(session, "setoption usebook false").empty());
  EXPECT_TRUE(Say(session, "position startpos").empty());
  // Limits are read before the worker starts; stop answers at once.
  EXPECT_TRUE(session.HandleLine("go movetime 2"));
  EXPECT_EQ(session.Engine().MaxSearchTime, 2000);
  session.HandleLine("stop");
  EXPECT_TRUE(session.HandleLine("go time 50 increment 2"));
  EXPECT_EQ(session.Engine().MaxSearchTime, 50000 / 25 + 1500);
  session.HandleLine("stop");
  EXPECT_TRUE(Say(session, "setoption usemillisec true").empty());
  EXPECT_TRUE(session.HandleLine("go movetime 2"));
  EXPECT_EQ(session.Engine().MaxSearchTime, 2);
  session.WaitForSearch();
}

TEST_F(UcciSessionTest, EveryLimitOfGoHolds) {
  CUcciSession session(Out, CProtocol::Ucci);
  EXPECT_TRUE(Say(session, "setoption usebook false").empty());
  EXPECT_TRUE(Say(session, "setoption usemillisec true").empty());
  EXPECT_TRUE(Say(session, "position startpos").empty());
  CSearchEngine& engine = session.Engine();

  // Depth and time together: both hold.
  EXPECT_TRUE(session.HandleLine("go depth 100 movetime 30"));
  EXPECT_EQ(engine.MaxDepth, 100);
  EXPECT_EQ(engine.MaxSearchTime, 30);
  session.HandleLine("stop");
  EXPECT_TRUE(session.HandleLine("go depth 100 time 1000"));
  EXPECT_EQ(engine.MaxDepth, 100);
  EXPECT_EQ(engine.MaxSearchTime, 40);
  session.HandleLine("stop");

  // A limit without its number is named and ignored.
  const auto said = Say(session, "go depth x");
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said[0], "info string go: depth needs a whole number; ignored");
  session.HandleLine("stop");

  // Depth 0 and a tiny node count: the first iteration, then the move.
  for (const char* go : {"go depth 0", "go nodes 1"}) {
    const size_t before = Count();
    const std::string move = Think(session, go);
    EXPECT_EQ(move.size(), 4u) << go;
    EXPECT_GE(Buffer.WaitFor("info depth 1 ", before, 1), 0) << go;
    EXPECT_LT(Buffer.WaitFor("info depth 2 ", before, 1), 0) << go;
  }
  EXPECT_EQ(engine.MaxNodes, 1u);

  // A mate hunt is bounded by plies and, without a clock, by the usual time.
  EXPECT_TRUE(Say(session, "position fen 3k5/9/9/9/9/9/9/9/4R4/4K4 w - - 0 1").empty());
  EXPECT_EQ(Think(session, "go mate 1"), "e1d1");
  EXPECT_TRUE(Say(session, "position startpos").empty());
  EXPECT_TRUE(session.HandleLine("go mate 3"));
  EXPECT_EQ(engine.MaxDepth, 7);
  EXPECT_EQ(engine.MaxSearchTime, 4000);
  session.HandleLine("stop");
}

TEST_F(UcciSessionTest, BannedMovesAreNotPlayedUntilTheNextPosition) {
  CUcciSession session(Out, CProtocol::Ucci);
  EXPECT_TRUE(Say(session, "setoption usebook false").empty());
  EXPECT_TRUE(Say(session, "position startpos moves h2e2").empty());
  const std::string favourite = Think(session, "go depth 2");
  ASSERT_EQ(favourite.size(), 4u);
  EXPECT_TRUE(Say(session, "banmoves " + favourite).empty());
  const std::string other = Think(session, "go depth 2");
  EXPECT_EQ(other.size(), 4u);
  EXPECT_NE(other, favourite);
  const auto bad = Say(session, "banmoves a0a1 e9e7");  // red's move; a king cannot go there
  ASSERT_EQ(bad.size(), 2u);
  EXPECT_NE(bad[0].find("a0a1"), std::string::npos);

  EXPECT_TRUE(Say(session, "position startpos moves h2e2").empty());
  EXPECT_EQ(Think(session, "go depth 2"), favourite);

  // Only banned moves left: no move.
  EXPECT_TRUE(Say(session, "position fen 4k4/9/9/9/9/9/9/9/9/3K5 w - - 0 1").empty());
  EXPECT_EQ(Think(session, "go depth 2"), "d0d1");  // the only legal move (e0 faces the king)
  EXPECT_TRUE(Say(session, "banmoves d0d1").empty());
  EXPECT_EQ(Think(session, "go depth 2"), "nobestmove");
}

TEST_F(UcciSessionTest, ProbeTellsTheBookAndTheTable) {
  CUcciSession session(Out, CProtocol::Ucci);
  CSearchEngine& engine = session.Engine();
  engine.Book.Reset();
  const uint64_t lock = engine.TransTable.LockOf(CPosition {});
  CMove cannon;
  ASSERT_EQ(MoveFromIccs(CPosition {}, "h2e2", cannon), 1);
  BookNode node;
  node.LockLo = static_cast<uint32_t>(lock);
  node.LockHi = static_cast<int32_t>(lock >> 32);
  node.Weight = 42;
  node.Piece = cannon.Piece;
  node.ToRow = cannon.To.Row;
  node.ToCol = cannon.To.Col;
  engine.Book.AddNode(node);

  auto lines = Say(session, "probe startpos");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "info string book h2e2 weight 42");
  EXPECT_EQ(lines[1], "pophash");  // nothing searched yet

  // After a search the table knows the root and the positions below it.
  EXPECT_TRUE(Say(session, "position startpos moves h2e2").empty());
  const std::string reply = Think(session, "go depth 3");
  ASSERT_EQ(reply.size(), 4u);
  lines = Say(session, "probe");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("pophash bestmove " + reply + " lowerbound ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(" depth 3"), std::string::npos) << lines[0];
  lines = Say(session, "probe startpos moves h2e2 " + reply);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("pophash bestmove ", 0), 0u) << lines[0];
  EXPECT_EQ(Say(session, "probe startpos moves h2e3")[0].rfind("info string probe: ", 0), 0u);
  // Probing leaves the session's position alone.
  EXPECT_EQ(session.Engine().Record.Current, 0);
}

TEST_F(UcciSessionTest, OverlongGameIsRefusedWhole) {
  CUcciSession session(Out, CProtocol::Ucci);
  EXPECT_TRUE(Say(session, "setoption usebook false").empty());
  std::string moves;
  for (int i = 0; i < 256; ++i) moves += " h0g2 h9g7 g2h0 g7h9";  // 1,024 moves
  const auto refused = Say(session, "position startpos moves" + moves);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].rfind("info string position refused: 1024 moves", 0), 0u) << refused[0];
  EXPECT_EQ(Think(session, "go depth 1"), "nobestmove");

  // 1,023 moves fit: black is to move.
  moves.resize(moves.size() - std::string(" g7h9").size());
  EXPECT_TRUE(Say(session, "position startpos moves" + moves).empty());
  EXPECT_EQ(session.Engine().Record.Current, 1022);
  EXPECT_EQ(session.RedToMove(), 0);
  const std::string reply = Think(session, "go depth 2");
  CMove move;
  ASSERT_EQ(MoveFromIccs(session.Engine().Position, reply, move), 1) << reply;
  EXPECT_EQ(IsLegalMove(session.Engine().Position, 0, move), 1) << reply;
}

TEST_F(UcciSessionTest, UciFormUsesRanksOneToTen) {
  EXPECT_EQ(CUcciSession::IccsToUci("h9g7"), "h10g8");
  EXPECT_EQ(CUcciSession::UciToIccs("h10g8"), "h9g7");
  EXPECT_EQ(CUcciSession::UciToIccs("h0g8"), "");
  EXPECT_EQ(CUcciSession::UciToIccs("j1a1"), "");
  EXPECT_EQ(CUcciSession::IccsToUci("h2e"), "");

  CUcciSession session(Out, CProtocol::Uci);
  auto hello = Say(session, "uci");
  ASSERT_FALSE(hello.empty());
  EXPECT_EQ(hello.back(), "uciok");
  EXPECT_TRUE(Say(session, "setoption name UseBook value false").empty());
  EXPECT_TRUE(Say(session, "setoption name Hash value 8").empty());
  EXPECT_EQ(session.Engine().TransTable.Count, 8 * 1024 * 1024 / 64);
  EXPECT_TRUE(Say(session, "position startpos moves h3e3").empty());
  EXPECT_EQ(MoveToIccs(session.Engine().Record[0].Move), "h2e2");

  const std::string reply = Think(session, "go depth 2");
  CMove move;
  ASSERT_EQ(MoveFromIccs(session.Engine().Position, CUcciSession::UciToIccs(reply), move), 1) << reply;
  EXPECT_EQ(IsLegalMove(session.Engine().Position, 0, move), 1) << reply;
  EXPECT_FALSE(Think(session, "go wtime 2000 btime 2000 winc 0 binc 0").empty());

  EXPECT_TRUE(Say(session, "position fen 3k5/9/9/9/9/9/9/9/3R5/4K4 b - - 0 1").empty());
  Think(session, "go depth 2");
  EXPECT_EQ(Buffer.Lines().back(), "bestmove (none)");
  const size_t before = Count();
  EXPECT_FALSE(session.HandleLine("quit"));
  EXPECT_EQ(Count(), before);
}

TEST_F(UcciSessionTest, EndOfInputLetsTheSearchAnswer) {
  CUcciSession session(Out, CProtocol::Ucci);
  std::istringstream in("ucci\nsetoption usebook false\nposition startpos\ngo depth 2\n");
  // Tied like std::cin to std::cout, reading would flush the output from
  // the reading thread while the worker writes to it.
  in.tie(&Out);
  session.Run(in);
  EXPECT_EQ(in.tie(), nullptr);
  const auto lines = Buffer.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
  EXPECT_GE(Buffer.WaitFor("info depth 2", 0, 1), 0);
}

}  // namespace
