#pragma once
// The records a self-play run keeps in its folder: "selfplay_000001.pgn"
// for game 1, and so on. A run counts the records already there and plays
// only the numbers still missing, so a stopped run goes on where it was.
#include <string>
#include <vector>

// "selfplay_%06d.pgn"
std::string SelfPlayFileName(int number);
// The game number a file name of that pattern carries, or 0 for any other
// name (temporary files of an interrupted write included).
int SelfPlayNumberOf(const std::string& name);

// The game numbers of the records in the folder, ascending. False with
// `error` when the folder cannot be read.
bool ListSelfPlayRecords(const std::string& dir, std::vector<int>& numbers, std::string& error);

// The `count` smallest numbers from 1 up that `existing` (ascending) lacks.
std::vector<int> MissingSelfPlayNumbers(const std::vector<int>& existing, int count);
