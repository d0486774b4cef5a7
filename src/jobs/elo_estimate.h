#pragma once
// The Elo difference a match score implies, with its 95% margin from the
// spread of the game scores (normal approximation).
#include <string>

struct CEloEstimate {
  double Elo = 0;     // +-infinity for an all-won or all-lost match
  double Margin = 0;  // infinity when it cannot be told
};

CEloEstimate EstimateElo(int wins, int draws, int losses);

// "wins=W draws=D losses=L elo=E margin=M", E and M with one decimal
// ("inf" and "-inf" where they are unbounded).
std::string MatchSummaryLine(int wins, int draws, int losses);
