// The clock of a timed game, driven by a hand-moved time source.
#include <gtest/gtest.h>

#include "game/game_clock.h"
#include "game_test_support.h"

namespace {

TEST(GameClockTest, OnlyTheSideToMoveLosesTimeAndTheMoverGetsItsIncrement) {
  int64_t now = 1000;
  CGameClock clock([&now] { return now; });
  EXPECT_FALSE(clock.Enabled());
  clock.Start({1, 2}, true);  // 1 minute a side, 2 seconds a move
  ASSERT_TRUE(clock.Running());
  now += 10000;
  EXPECT_EQ(clock.RemainingMs(true), 50000);
  EXPECT_EQ(clock.RemainingMs(false), 60000);
  clock.Moved();  // red moved after 10 s: 50 + 2
  now += 5000;
  EXPECT_EQ(clock.RemainingMs(true), 52000);
  EXPECT_EQ(clock.RemainingMs(false), 55000);
  EXPECT_FALSE(clock.RedRunning());
  // Taking a move back hands the clock back without an increment.
  clock.SetSideToMove(true);
  now += 2000;
  EXPECT_EQ(clock.RemainingMs(true), 50000);
  EXPECT_EQ(clock.RemainingMs(false), 55000);
  clock.Stop();
  now += 60000;
  EXPECT_EQ(clock.RemainingMs(true), 50000);
  EXPECT_FALSE(clock.Flagged());
  EXPECT_TRUE(clock.Enabled());  // a finished game still shows its times
  clock.Start({}, true);
  EXPECT_FALSE(clock.Enabled());
  EXPECT_FALSE(clock.Running());
}

TEST(GameClockTest, EngineTimePerMoveIsAThirtiethPlusTheIncrementWithinBounds) {
  struct {
    int64_t Remaining, Increment, Expected;
  } const cases[] = {
      {300000, 3000, 13000},  // 5+3 at the start: 10 s + 3 s
      {60000, 0, 2000},       // 1 minute, no increment
      {2000, 3000, 1500},     // the increment would overspend: three quarters of 2 s
      {900, 0, 100},          // below the floor
      {0, 0, 100},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EngineMoveTimeMs(c.Remaining, c.Increment), c.Expected) << c.Remaining << "+" << c.Increment;
}

TEST(GameClockTest, ClockTextShowsWholeSecondsRoundedUp) {
  EXPECT_EQ(ClockText(300000), "5:00");
  EXPECT_EQ(ClockText(299001), "5:00");
  EXPECT_EQ(ClockText(299000), "4:59");
  EXPECT_EQ(ClockText(9500), "0:10");
  EXPECT_EQ(ClockText(5400000), "90:00");
  EXPECT_EQ(ClockText(0), "0:00");
  EXPECT_EQ(ClockText(-300), "0:00");
}

class TimedGameTest : public GameSuite {
 protected:
  void SetUp() override {
    GameSuite::SetUp();
    game->Clock.SetTimeSource([this] { return Now; });
    game->TimeControl = {1, 0};
    game->HumanVsHuman = 1;
    ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  }
  void TearDown() override {
    game->TimeControl = {};
    game->Clock.SetTimeSource(nullptr);
    game->Clock.Start({}, true);
  }
  int64_t Now = 0;
};

TEST_F(TimedGameTest, FlagFallEndsTheGameForTheSideWhoseTimeRanOut) {
  Now += 59000;
  EXPECT_EQ(game->CheckFlag(), 0);
  ASSERT_EQ(Play("h2e2"), 1);
  Now += 60000;  // black thinks a whole minute
  EXPECT_EQ(game->CheckFlag(), 1);
  EXPECT_EQ(game->Result, "1-0");
  EXPECT_EQ(game->EndReason(), CGameEnd::TimeForfeit);
  EXPECT_EQ(game->EndMessage(), "黑方超时, 红胜");
  EXPECT_FALSE(game->Clock.Running());
}

TEST_F(TimedGameTest, AMoveAfterTheFlagFellIsRefusedAndEndsTheGame) {
  Now += 61000;
  EXPECT_EQ(Play("h2e2"), 0);
  EXPECT_EQ(game->Record().Current, -1);
  EXPECT_EQ(game->EndMessage(), "红方超时, 黑胜");
  // The computer asked to move too late does not search either.
  ASSERT_EQ(game->NewGame(InitialBoard.data(), 1), 1);
  Now += 61000;
  EXPECT_EQ(game->ComputerMove(), 0);
  EXPECT_EQ(game->EndReason(), CGameEnd::TimeForfeit);
  EXPECT_EQ(game->Result, "0-1");
}

TEST_F(TimedGameTest, ComputerOnTheClockKeepsItsOwnTimeSettings) {
  game->Engine.MaxDepth = 2;
  const int32_t searchTime = game->Engine.MaxSearchTime, iterTime = game->Engine.MaxIterTime;
  ASSERT_EQ(game->ComputerMove(), 1);
  EXPECT_EQ(game->Engine.MaxSearchTime, searchTime);
  EXPECT_EQ(game->Engine.MaxIterTime, iterTime);
  EXPECT_FALSE(game->Clock.RedRunning());  // red's move started black's clock
}

}  // namespace
