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

// A match's games counted from our side: a score of 1 is a win, 0 a loss,
// anything between (a drawn or undecided game) a draw.
struct CMatchTally {
  int Wins = 0;
  int Draws = 0;
  int Losses = 0;

  void Add(double score);
  int Games() const { return Wins + Draws + Losses; }
  std::string SummaryLine() const { return MatchSummaryLine(Wins, Draws, Losses); }
};
