// An outside engine seated at the board for one side: it plays whole games
// against our engine, loses by its own faults with their reasons, and plays
// to the game's clock.
#include <gtest/gtest.h>

#include "jobs/outside_player.h"
#include "outside_job_fixture.h"
#include "rules/iccs.h"

namespace {

class OutsidePlayerTest : public OutsideJobTest {
 protected:
  void TearDown() override {
    game->TimeControl = {};
    game->Clock.SetTimeSource(nullptr);
    game->Clock.Start({}, true);
  }
  // A player whose programs are scripted ones (the first with the script);
  // Last is the one running.
  std::unique_ptr<COutsidePlayer> MakePlayer(COutsideSeat seat, std::vector<CScriptStep> script = {}) {
    Made = 0;
    auto player = std::make_unique<COutsidePlayer>([this, script](const COutsideEngineSettings&) {
      auto engine = std::make_unique<CScriptedOutsideEngine>();
      if (Made == 0) engine->Script = script;
      Last = engine.get();
      ++Made;
      return engine;
    });
    COutsidePlayerSettings settings;
    settings.Seat = seat;
    player->SetSettings(settings);
    return player;
  }
  std::vector<std::string> RecordMoves() const {
    std::vector<std::string> moves;
    for (int i = 0; i <= game->Record().Current; ++i) moves.push_back(MoveToIccs(game->Record()[i].Move));
    return moves;
  }
  CScriptedOutsideEngine* Last = nullptr;
  int Made = 0;
};

TEST_F(OutsidePlayerTest, EngineAtEitherSidePlaysAWholeGameAgainstOurs) {
  for (const COutsideSeat seat : {COutsideSeat::Black, COutsideSeat::Red}) {
    auto player = MakePlayer(seat);
    game->HumanVsHuman = 0;
    game->HumanPlaysRed = seat == COutsideSeat::Black ? 1 : 0;  // the engine stands in for the person
    ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
    int outsideMoves = 0;
    while (game->Result == "*" && game->Record().Current < 600) {
      if (player->PlaysSideToMove(*game)) {
        ASSERT_EQ(player->PlayTurn(*game, nullptr), COutsideTurn::Played) << player->Error();
        ++outsideMoves;
        // It was told every move before its own, and nothing else.
        EXPECT_EQ(Last->Moves, RecordMoves());
      } else if (!game->ComputerMove()) {
        break;
      }
    }
    EXPECT_NE(game->Result, "*");
    EXPECT_GT(outsideMoves, 5);
    EXPECT_EQ(Made, 1) << "one program for the whole game";
    EXPECT_EQ(seat == COutsideSeat::Red ? game->Red : game->Black, "Scripted");
    EXPECT_EQ(Last->NewGameCount, 1);
    EXPECT_EQ(Last->Sides, seat == COutsideSeat::Red ? COutsideSides::Red : COutsideSides::Black);
    player->End();
    EXPECT_FALSE(player->IsRunning());
  }
}

TEST_F(OutsidePlayerTest, AFaultOfTheEngineLosesTheGameForItsSideWithTheReason) {
  struct Case {
    CScriptStep Step;
    COutsideSeat Seat;
    CGameEnd Reason;
    const char* Message;
  };
  // a0a5 is no move for either side.
  const Case cases[] = {
      {Play("a0a5"), COutsideSeat::Black, CGameEnd::IllegalMove, "黑方引擎走出非法着法, 红胜"},
      {Play("a0a5"), COutsideSeat::Red, CGameEnd::IllegalMove, "红方引擎走出非法着法, 黑胜"},
      {Play("nonsense"), COutsideSeat::Red, CGameEnd::IllegalMove, "红方引擎走出非法着法, 黑胜"},
      {Step(CScriptStep::GameOver), COutsideSeat::Black, CGameEnd::NoMove, "黑方引擎称无着可走, 红胜"},
      {Step(CScriptStep::Silent), COutsideSeat::Black, CGameEnd::NoAnswer, "黑方引擎未能应着, 红胜"},
      {Step(CScriptStep::Exit), COutsideSeat::Red, CGameEnd::NoAnswer, "红方引擎未能应着, 黑胜"},
  };
  for (const Case& c : cases) {
    auto player = MakePlayer(c.Seat, {c.Step});
    game->HumanVsHuman = 1;
    ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
    if (c.Seat == COutsideSeat::Black) {
      CMove move;
      ASSERT_EQ(MoveFromIccs(game->Position(), "h2e2", move), 1);
      ASSERT_EQ(game->PlayMove(move, 0), 1);
    }
    const int before = game->Record().Current;
    EXPECT_EQ(player->PlayTurn(*game, nullptr), COutsideTurn::Ended) << c.Message;
    EXPECT_EQ(game->EndReason(), c.Reason) << c.Message;
    EXPECT_EQ(game->EndMessage(), c.Message);
    EXPECT_EQ(game->Record().Current, before) << "nothing of its answer is played";
    EXPECT_FALSE(player->IsRunning()) << "the program is ended after a fault";
    EXPECT_FALSE(player->Error().empty());
  }
  game->HumanVsHuman = 0;
}

TEST_F(OutsidePlayerTest, OnTheClockTheEngineGetsBothTimesAndLosesWhenItsFlagFalls) {
  int64_t now = 0;
  game->Clock.SetTimeSource([&now] { return now; });
  game->TimeControl = {5, 3};
  game->HumanVsHuman = 1;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  CMove move;
  ASSERT_EQ(MoveFromIccs(game->Position(), "h2e2", move), 1);
  now += 20000;
  ASSERT_EQ(game->PlayMove(move, 0), 1);
  now += 500;
  auto player = MakePlayer(COutsideSeat::Black);
  ASSERT_EQ(player->PlayTurn(*game, nullptr), COutsideTurn::Played) << player->Error();
  // Red: 300 - 20 + 3 seconds; black had thought half a second when asked.
  EXPECT_TRUE(Last->Time.Clock);
  EXPECT_FALSE(Last->Time.RedToMove);
  EXPECT_EQ(Last->Time.RedMs, 283000);
  EXPECT_EQ(Last->Time.BlackMs, 299500);
  EXPECT_EQ(Last->Time.BlackIncMs, 3000);
  EXPECT_EQ(Last->Time.MoveTimeMs, 299500 / 30 + 3000);

  // Red answers; black's next answer comes after its time ran out.
  ASSERT_EQ(MoveFromIccs(game->Position(), "h0g2", move), 1);
  ASSERT_EQ(game->PlayMove(move, 0), 1);
  Last->OnReply = [&now](int) { now += 400000; };
  EXPECT_EQ(player->PlayTurn(*game, nullptr), COutsideTurn::Ended);
  EXPECT_EQ(game->EndReason(), CGameEnd::TimeForfeit);
  EXPECT_EQ(game->EndMessage(), "黑方超时, 红胜");
  game->HumanVsHuman = 0;
}

TEST_F(OutsidePlayerTest, AChangedProgramIsEndedAndAStopLeavesTheGameAsItWas) {
  auto player = MakePlayer(COutsideSeat::Red, {Step(CScriptStep::Silent)});
  game->HumanVsHuman = 1;
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  EXPECT_EQ(player->PlayTurn(*game, [] { return true; }), COutsideTurn::Stopped);
  EXPECT_EQ(game->Result, "*");
  EXPECT_EQ(game->Record().Current, -1);

  ASSERT_EQ(player->PlayTurn(*game, nullptr), COutsideTurn::Played);
  EXPECT_EQ(Made, 2) << "a stopped program is started again";
  COutsidePlayerSettings settings = player->Settings();
  settings.Engine.Options = {{"UCI_Elo", "1500"}};
  player->SetSettings(settings);
  EXPECT_FALSE(player->IsRunning());
  game->HumanVsHuman = 0;
}

TEST(EngineOptionsText, ReadsNamedPairsAndRefusesOneWithoutAName) {
  std::vector<std::pair<std::string, std::string>> options;
  std::string bad;
  ASSERT_TRUE(ParseEngineOptions(" UCI_LimitStrength = true ;UCI_Elo=1500;; Hash=", options, bad));
  const std::vector<std::pair<std::string, std::string>> expected {
      {"UCI_LimitStrength", "true"}, {"UCI_Elo", "1500"}, {"Hash", ""}};
  EXPECT_EQ(options, expected);
  EXPECT_EQ(EngineOptionsText(options), "UCI_LimitStrength=true; UCI_Elo=1500; Hash=");
  ASSERT_TRUE(ParseEngineOptions("", options, bad));
  EXPECT_TRUE(options.empty());
  for (const char* wrong : {"UCI_Elo 1500", "a=1; =2"}) {
    EXPECT_FALSE(ParseEngineOptions(wrong, options, bad)) << wrong;
    EXPECT_FALSE(bad.empty());
  }
}

}  // namespace
