// The UCCI / UCI session held in-process: every answer of a scripted
// conversation, including stop and isready while the engine thinks.
#include "engine/ucci_session.h"

#include <gtest/gtest.h>

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

  // Clock-driven searches.
  EXPECT_TRUE(Say(session, "position startpos").empty());
  EXPECT_EQ(Think(session, "go movetime 100").size(), 4u);
  EXPECT_EQ(Think(session, "go time 3000 increment 100").size(), 4u);
  EXPECT_EQ(session.Engine().MaxSearchTime, 3000 / 25 + 75);

  before = Count();
  EXPECT_FALSE(session.HandleLine("quit"));
  EXPECT_EQ(Buffer.Lines().back(), "bye");
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
  session.Run(in);
  const auto lines = Buffer.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u);
  EXPECT_GE(Buffer.WaitFor("info depth 2", 0, 1), 0);
}

}  // namespace
