#pragma once
#include <string>

// Reads a text file of games in ICCS coordinates and writes each game as
// OUTDIR/gameNNNN.pgn. Prints one line per skipped game and a last line
// "games=<written> skipped=<skipped>". Returns the exit status.
int ImportIccsGames(const std::string& inPath, const std::string& outDir);
