#pragma once
// Reading one game file whole, for the jobs that learn from game records
// (book build, sample generation): a file that holds no game, stops before
// its end or holds a second game is not taken, so no job learns from the
// readable front of a game against the whole game's result.
#include <string>

class CGame;

// Loads the file into the game. True when every move of exactly one game was
// read; false with `why` set (English) otherwise.
bool ReadWholeGame(CGame& game, const std::string& path, std::string& why);
