// The real outside-program driver against small shell-script engines (every
// answer and failure of the protocol) and, when it is installed, against
// fairy-stockfish: moves, training, record checking. No child outlives a
// test and no descriptor leaks.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "jobs/network_game_trainer.h"
#include "jobs/outside_match.h"
#include "jobs/outside_training.h"
#include "jobs/record_checking.h"
#include "jobs/ucci_engine_process.h"
#include "outside_job_fixture.h"

namespace {

constexpr const char* kFairy = "/usr/games/fairy-stockfish";

int OpenDescriptorCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

// No child of ours is left, not even a zombie.
bool NoChildLeft() {
  errno = 0;
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

class UcciProcessTest : public OutsideJobTest {
 protected:
  void SetUp() override {
    OutsideJobTest::SetUp();
    Descriptors = OpenDescriptorCount();
    // The script and its log live beside the folder the games go into.
    Scripts = Root.substr(0, Root.size() - 1) + "-engine/";
    std::filesystem::create_directories(Scripts);
    Log = Scripts + "input.log";
  }
  void TearDown() override {
    EXPECT_TRUE(NoChildLeft());
    EXPECT_EQ(OpenDescriptorCount(), Descriptors);
  }

  // A shell-script engine: answers the handshakes, logs every line it gets,
  // and runs goAction on "go" ($n counts the "go" lines).
  std::string ScriptEngine(const std::string& goAction, bool ucci = true) {
    const std::string path = Scripts + "engine.sh";
    std::ofstream(path) << "n=0\n"
                           "while IFS= read -r line; do\n"
                           "  echo \"$line\" >> '" << Log << "'\n"
                           "  case \"$line\" in\n"
                        << (ucci ? "    ucci) echo 'id name Scripty 1.0'; echo ucciok;;\n"
                                 : "    uci) echo 'id name UciOnly'; echo uciok;;\n")
                        << "    isready) echo readyok;;\n"
                           "    go*) n=$((n+1)); " << goAction << ";;\n"
                           "    quit) exit 0;;\n"
                           "  esac\n"
                           "done\n";
    return "sh '" + path + "'";
  }
  COutsideEngineSettings Settings(const std::string& command) {
    COutsideEngineSettings settings;
    settings.Command = command;
    settings.MoveTimeMs = 30;
    return settings;
  }

  int Descriptors = 0;
  std::string Scripts;
  std::string Log;
};

TEST_F(UcciProcessTest, TalksUcciAndKeepsTheMoveList) {
  COutsideEngineSettings settings = Settings(ScriptEngine("echo 'info depth 1 score 3'; echo 'bestmove h2e2'"));
  settings.Options = {{"Skill_Level", "-20"}, {"UCI_Elo", "1800"}};
  CUcciEngineProcess engine(settings);
  ASSERT_EQ(engine.Start(5000), 1) << engine.Error();
  EXPECT_EQ(engine.Name(), "Scripty 1.0");
  EXPECT_EQ(engine.Protocol(), COutsideProtocol::Ucci);
  ASSERT_EQ(engine.NewGame("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1",
                           COutsideSides::Red), 1);
  std::string move;
  EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Move);
  EXPECT_EQ(move, "h2e2");
  engine.HandOver("h9g7");
  EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Move);
  engine.End();
  const std::string log = ReadText(Log);
  EXPECT_NE(log.find("ucci\nsetoption Skill_Level -20\nsetoption UCI_Elo 1800\nisready\n"), std::string::npos) << log;
  EXPECT_NE(log.find("position fen rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1 "
                     "moves h2e2 h9g7\ngo movetime 30\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("quit\n"), std::string::npos);
}

// UCCI counts time in seconds unless the engine is told otherwise: an engine
// that offers millisecond times is switched to them, so a 40 ms move is not
// taken for 40 seconds (the reply below would then time out).
TEST_F(UcciProcessTest, AnEngineOfferingMillisecondsIsSwitchedToThem) {
  const std::string ours = "TARVO_HOME='" + Scripts + "home' " + TARVO_CLI_PATH + " ucci";
  COutsideEngineSettings settings = Settings(ours);
  settings.MoveTimeMs = 40;
  CUcciEngineProcess engine(settings);
  ASSERT_EQ(engine.Start(10000), 1) << engine.Error();
  ASSERT_EQ(engine.NewGame("", COutsideSides::Red), 1);
  std::string move;
  EXPECT_EQ(engine.Reply(20000, move, nullptr), COutsideAnswer::Move);
  EXPECT_EQ(move.size(), 4u) << move;
  engine.End();

  // A script engine without the option is not sent it.
  CUcciEngineProcess plain(Settings(ScriptEngine("echo 'bestmove h2e2'")));
  ASSERT_EQ(plain.Start(5000), 1) << plain.Error();
  plain.End();
  EXPECT_EQ(ReadText(Log).find("usemillisec"), std::string::npos);
}

TEST_F(UcciProcessTest, TalksUciWithItsRanksAndTheVariantOption) {
  COutsideEngineSettings settings = Settings(ScriptEngine("echo 'bestmove h3e3'", false));
  settings.Protocol = COutsideProtocol::Uci;
  settings.Options = {{"UCI_LimitStrength", "true"}};
  CUcciEngineProcess engine(settings);
  ASSERT_EQ(engine.Start(5000), 1) << engine.Error();
  EXPECT_EQ(engine.Name(), "UciOnly");
  ASSERT_EQ(engine.NewGame("", COutsideSides::Red), 1);
  std::string move;
  EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Move);
  EXPECT_EQ(move, "h2e2");  // ranks 1..10 turned into 0..9
  engine.HandOver("h9g7");
  EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Move);
  engine.End();
  const std::string log = ReadText(Log);
  EXPECT_NE(log.find("uci\nsetoption name UCI_Variant value xiangqi\n"
                     "setoption name UCI_LimitStrength value true\nisready\nucinewgame\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("position startpos moves h3e3 h10g8\n"), std::string::npos) << log;
}

// On a clock the engine is given both sides' times: UCI in milliseconds
// from white's (red's) side, UCCI from the mover's side in seconds.
TEST_F(UcciProcessTest, ClockTimesGoOutInEachProtocolsWords) {
  COutsideTime time;
  time.Clock = true;
  time.RedToMove = false;
  time.RedMs = 283000;
  time.BlackMs = 299500;
  time.RedIncMs = time.BlackIncMs = 3000;
  for (const bool ucci : {true, false}) {
    std::filesystem::remove(Log);
    COutsideEngineSettings settings = Settings(ScriptEngine("echo 'bestmove h7e7'", ucci));
    settings.Protocol = ucci ? COutsideProtocol::Ucci : COutsideProtocol::Uci;
    CUcciEngineProcess engine(settings);
    ASSERT_EQ(engine.Start(5000), 1) << engine.Error();
    ASSERT_EQ(engine.NewGame("", COutsideSides::Black), 1);
    engine.HandOver("h2e2");
    engine.SetTime(time);
    std::string move;
    EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Move);
    engine.End();
    const std::string log = ReadText(Log);
    const char* expected = ucci ? "go time 299 increment 3 opptime 283 oppincrement 3\n"
                                : "go wtime 283000 btime 299500 winc 3000 binc 3000\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
  }
}

TEST_F(UcciProcessTest, NoMoveSilenceGarbageAndLeavingAreToldApart) {
  CUcciEngineProcess engine(Settings(ScriptEngine(
      "case $n in 1) echo nobestmove;; 2) echo 'bestmove (none)';; 3) echo 'bestmove 0000';; "
      "4) echo 'bestmove zz';; 5) : ;; *) exit 3;; esac")));
  ASSERT_EQ(engine.Start(5000), 1) << engine.Error();
  ASSERT_EQ(engine.NewGame("", COutsideSides::Both), 1);
  std::string move;
  for (const char* noMove : {"nobestmove", "bestmove (none)", "bestmove 0000"})
    EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::GameOver) << noMove;
  EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Move);
  EXPECT_EQ(move, "zz");  // the caller finds that it does not parse
  EXPECT_EQ(engine.Reply(200, move, nullptr), COutsideAnswer::TimeOut);
  EXPECT_EQ(engine.Reply(5000, move, nullptr), COutsideAnswer::Gone);
  EXPECT_NE(engine.Error().find("exit status 3"), std::string::npos) << engine.Error();
  EXPECT_EQ(engine.NewGame("", COutsideSides::Both), 0);
}

TEST_F(UcciProcessTest, AStopRequestEndsTheWait) {
  CUcciEngineProcess engine(Settings(ScriptEngine(":")));
  ASSERT_EQ(engine.Start(5000), 1);
  ASSERT_EQ(engine.NewGame("", COutsideSides::Red), 1);
  std::string move;
  int asked = 0;
  EXPECT_EQ(engine.Reply(60000, move, [&] { return ++asked >= 3; }), COutsideAnswer::Stopped);
}

TEST_F(UcciProcessTest, AProgramThatDoesNotStartOrAnswerIsReported) {
  CUcciEngineProcess missing(Settings("/nonexistent/engine-for-tarvo-tests"));
  EXPECT_EQ(missing.Start(5000), 0);
  EXPECT_NE(missing.Error().find("command not found"), std::string::npos) << missing.Error();

  COutsideEngineSettings ucci = Settings("sleep 30");
  ucci.Protocol = COutsideProtocol::Ucci;
  CUcciEngineProcess silentUcci(ucci);
  EXPECT_EQ(silentUcci.Start(200), 0);
  EXPECT_NE(silentUcci.Error().find("does not answer"), std::string::npos) << silentUcci.Error();

  CUcciEngineProcess leaves(Settings("true"));
  EXPECT_EQ(leaves.Start(5000), 0);
  EXPECT_NE(leaves.Error().find("ended"), std::string::npos) << leaves.Error();
}

TEST_F(UcciProcessTest, AChildThatExitsInTheMiddleOfAGameEndsTheTraining) {
  // Red in the first game: it opens, we answer, then it is gone.
  CUcciEngineProcess engine(Settings(ScriptEngine("if [ $n -ge 2 ]; then exit 0; fi; echo 'bestmove h2e2'")));
  values.MaxTrainCount = 3;
  EXPECT_EQ(OutsideTraining(*game, engine, values, hooks), 0);
  EXPECT_NE(hooks.Error.find("ended"), std::string::npos) << hooks.Error;
  EXPECT_TRUE(Reports.empty()) << Reports[0].Note;
  EXPECT_TRUE(SavedFiles().empty());
  EXPECT_EQ(game->TrainingIdle.load(), 1);
}

class FairyStockfishTest : public UcciProcessTest {
 protected:
  void SetUp() override {
    if (access(kFairy, X_OK) != 0) GTEST_SKIP() << kFairy << " is not installed";
    UcciProcessTest::SetUp();
  }
  void TearDown() override {
    if (access(kFairy, X_OK) == 0) UcciProcessTest::TearDown();
  }
};

TEST_F(FairyStockfishTest, AnswersLegalMovesInUcci) {
  COutsideEngineSettings settings = Settings(kFairy);
  settings.Options = {{"Skill_Level", "-20"}};
  CUcciEngineProcess engine(settings);
  ASSERT_EQ(engine.Start(10000), 1) << engine.Error();
  EXPECT_NE(engine.Name().find("Fairy-Stockfish"), std::string::npos) << engine.Name();
  game->HumanVsHuman = 1;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  ASSERT_EQ(engine.NewGame(game->FEN, COutsideSides::Both), 1);
  for (int ply = 0; ply < 4; ++ply) {
    std::string move;
    ASSERT_EQ(engine.Reply(10000, move, nullptr), COutsideAnswer::Move);
    ASSERT_EQ(PlayOutsideMove(*game, move), 1) << move;
  }
  game->HumanVsHuman = 0;
}

TEST_F(FairyStockfishTest, OneShortTrainingGameIsSavedAndTrained) {
  CUcciEngineProcess engine(Settings(kFairy));
  values.MaxMoveCount = 6;
  values.MaxLearnCount = 1;
  values.AutoSaveCount = 1000;
  const CGameTrainer real = MakeNetworkGameTrainer();
  hooks.Trainer = [&](CGame& g, const std::string& path, const CGameTrainingValues& v) {
    Trained.push_back(path);
    return real(g, path, v);
  };
  ASSERT_EQ(OutsideTraining(*game, engine, values, hooks), 1) << hooks.Error;
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_NE(Reports[0].Red.find("Fairy-Stockfish"), std::string::npos);
  ASSERT_FALSE(Reports[0].Path.empty()) << Reports[0].Note;
  EXPECT_TRUE(std::filesystem::exists(Reports[0].Path));
  EXPECT_EQ(Trained, std::vector<std::string> {Reports[0].Path});
}

TEST_F(FairyStockfishTest, RecordCheckCompletesTwoMasterGames) {
  // The two games of the set that are closest to their end.
  std::filesystem::copy_file(TestDataPath("games/game01.pgn"), Root + "game01.pgn");
  std::filesystem::copy_file(TestDataPath("games/game05.pgn"), Root + "game05.pgn");
  CUcciEngineProcess engine(Settings(kFairy));
  CRecordCheckHooks checkHooks;
  std::vector<CCheckedFileReport> done;
  checkHooks.FileDone = [&](const CCheckedFileReport& report) { done.push_back(report); };
  game->CheckingIdle = 0;
  const int result = CheckRecords(*game, engine, Root, CRecordCheckValues {}, checkHooks);
  game->CheckingIdle = 1;
  ASSERT_EQ(result, 1) << checkHooks.Error;
  ASSERT_EQ(done.size(), 2u);
  for (const auto& report : done) {
    EXPECT_TRUE(report.Written) << report.Path << ": " << report.Outcome;
    EXPECT_GT(report.MovesAfter, report.MovesBefore) << report.Path;
    // The engine's own play decides how a game goes on: it may still be
    // undecided when the list passes its limit (an endless game, never won).
    if (report.Outcome == "endless") {
      EXPECT_GT(report.MovesAfter, CRecordCheckValues {}.MaxListCount) << report.Path;
      EXPECT_TRUE(report.Result == "*" || report.Result == "1/2-1/2") << report.Path << ": " << report.Result;
    } else {
      EXPECT_NE(report.Result, "*") << report.Path << ": " << report.Outcome;
    }
    ASSERT_EQ(game->LoadPgn(report.Path), 1);
    EXPECT_EQ(game->Record().Length, report.MovesAfter);
  }
}

TEST_F(FairyStockfishTest, ATwoGameMatchIsPlayedToItsEndSlow) {
  CUcciEngineProcess engine(Settings(kFairy));
  ASSERT_EQ(engine.Start(10000), 1) << engine.Error();
  for (bool weAreRed : {true, false}) {
    CMatchGame played;
    played.WeAreRed = weAreRed;
    std::string error;
    ASSERT_EQ(PlayMatchGame(*game, engine, 10000, nullptr, played, error), 1) << error;
    EXPECT_FALSE(played.Stopped);
    EXPECT_TRUE(played.Result == "1-0" || played.Result == "0-1" || played.Result == "1/2-1/2") << played.Result;
    EXPECT_EQ(played.MoveCount, game->Record().Current + 1);
    EXPECT_TRUE(played.Note.empty()) << played.Note;  // no illegal move, no time-out
    EXPECT_EQ(game->Red, weAreRed ? "Tarvo" : engine.Name());
  }
}

}  // namespace
