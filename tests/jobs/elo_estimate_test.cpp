// The Elo difference of a match score and its 95% margin, against values
// worked out by hand from the logistic formula.
#include <gtest/gtest.h>

#include <cmath>

#include "jobs/elo_estimate.h"
#include "jobs/outside_match.h"

namespace {

TEST(EloEstimate, ScoresGiveTheLogisticDifference) {
  EXPECT_NEAR(EstimateElo(10, 0, 10).Elo, 0.0, 1e-9);
  // 75%: -400 log10(1/0.75 - 1) = 190.85
  EXPECT_NEAR(EstimateElo(15, 0, 5).Elo, 190.849, 0.01);
  EXPECT_NEAR(EstimateElo(5, 0, 15).Elo, -190.849, 0.01);
  // Draws count half: 10 + 10/2 of 20 is 75% again.
  EXPECT_NEAR(EstimateElo(10, 10, 0).Elo, 190.849, 0.01);
  EXPECT_TRUE(std::isinf(EstimateElo(3, 0, 0).Elo));
  EXPECT_LT(EstimateElo(0, 0, 3).Elo, 0);
}

TEST(EloEstimate, TheMarginComesFromTheSpreadOfTheGameScores) {
  // 10 wins, 10 losses: per-game spread 0.5, standard error 0.5/sqrt(20),
  // 95% bounds 0.5 -+ 0.21913, i.e. Elo -+ 163.3; the margin is half their distance.
  // -400 log10(1 / 0.71913 - 1) = 163.32.
  EXPECT_NEAR(EstimateElo(10, 0, 10).Margin, 163.32, 0.01);
  EXPECT_NEAR(EstimateElo(0, 20, 0).Margin, 0.0, 1e-9);  // all draws: no spread
  EXPECT_GT(EstimateElo(1, 0, 1).Margin, EstimateElo(10, 0, 10).Margin);
}

TEST(EloEstimate, TheSummaryLineHasTheFixedForm) {
  // 75%: per-game variance 0.1875, bounds 0.75 -+ 0.18978, Elo 477.3 and 42.0.
  EXPECT_EQ(MatchSummaryLine(15, 0, 5), "wins=15 draws=0 losses=5 elo=190.8 margin=217.6");
  EXPECT_EQ(MatchSummaryLine(10, 0, 10), "wins=10 draws=0 losses=10 elo=0.0 margin=163.3");
  EXPECT_EQ(MatchSummaryLine(2, 0, 0), "wins=2 draws=0 losses=0 elo=inf margin=inf");
  // Draws add their own spread: 10 wins and 10 draws score 0.75 with a
  // per-game variance of (10 x 0.25^2 + 10 x 0.25^2) / 20 = 0.0625, bounds
  // 0.75 -+ 0.10957, Elo 314.72 and 100.28.
  EXPECT_EQ(MatchSummaryLine(10, 10, 0), "wins=10 draws=10 losses=0 elo=190.8 margin=107.2");
  // One sixth: -400 log10(5).
  EXPECT_EQ(MatchSummaryLine(0, 1, 2).substr(0, 34), "wins=0 draws=1 losses=2 elo=-279.6");
}

TEST(MatchScore, IsSeenFromOurSide) {
  CMatchGame played;
  played.WeAreRed = true;
  played.Result = "1-0";
  EXPECT_EQ(MatchScore(played), 1.0);
  played.WeAreRed = false;
  EXPECT_EQ(MatchScore(played), 0.0);
  played.Result = "0-1";
  EXPECT_EQ(MatchScore(played), 1.0);
  played.Result = "1/2-1/2";
  EXPECT_EQ(MatchScore(played), 0.5);
}

TEST(MatchTally, CountsEachGameByItsScoreForUs) {
  struct Case {
    double Score;
    const char* Line;
  };
  const Case cases[] = {
      {1.0, "wins=1 draws=0 losses=0 elo=inf margin=inf"},
      {0.5, "wins=0 draws=1 losses=0 elo=0.0 margin=0.0"},
      {0.0, "wins=0 draws=0 losses=1 elo=-inf margin=inf"},
  };
  for (const Case& c : cases) {
    CMatchTally tally;
    tally.Add(c.Score);
    EXPECT_EQ(tally.SummaryLine(), c.Line) << c.Score;
    EXPECT_EQ(tally.Games(), 1);
  }
}

}  // namespace
