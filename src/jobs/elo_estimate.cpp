#include "jobs/elo_estimate.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

double EloOfScore(double score) {
  if (score <= 0) return -std::numeric_limits<double>::infinity();
  if (score >= 1) return std::numeric_limits<double>::infinity();
  return -400.0 * std::log10(1.0 / score - 1.0);
}

std::string Number(double value) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  if (std::isnan(value)) return "inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text == std::string("-0.0") ? "0.0" : text;
}

}  // namespace

CEloEstimate EstimateElo(int wins, int draws, int losses) {
  CEloEstimate estimate;
  const int games = wins + draws + losses;
  if (games <= 0) {
    estimate.Margin = std::numeric_limits<double>::infinity();
    return estimate;
  }
  const double n = games;
  const double score = (wins + 0.5 * draws) / n;
  estimate.Elo = EloOfScore(score);
  const double variance = (wins * (1 - score) * (1 - score) + draws * (0.5 - score) * (0.5 - score) +
                           losses * score * score) / n;
  const double spread = 1.959964 * std::sqrt(variance / n);
  if (std::isinf(estimate.Elo)) {
    estimate.Margin = std::numeric_limits<double>::infinity();
    return estimate;
  }
  estimate.Margin = (EloOfScore(score + spread) - EloOfScore(score - spread)) / 2;
  return estimate;
}

std::string MatchSummaryLine(int wins, int draws, int losses) {
  const CEloEstimate estimate = EstimateElo(wins, draws, losses);
  return "wins=" + std::to_string(wins) + " draws=" + std::to_string(draws) + " losses=" + std::to_string(losses) +
         " elo=" + Number(estimate.Elo) + " margin=" + Number(estimate.Margin);
}

void CMatchTally::Add(double score) {
  if (score > 0.75)
    ++Wins;
  else if (score < 0.25)
    ++Losses;
  else
    ++Draws;
}
