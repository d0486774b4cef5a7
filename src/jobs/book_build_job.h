#pragma once
// The book build as a job: the settings with their defaults, the check of
// every setting, and the run. The build works on a book of its own and a
// game of its own; only a build that succeeds is written (once, culled) and
// then takes the place of the live book's table, so a failed or refused
// build leaves both the book file and the engine's book as they were, and
// the player's game is never touched.
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/job.h"

class COpeningBook;

struct CBookBuildSettings {
  std::string RootDir;  // the folder of game records
  int32_t MinWeight = 4;
  int32_t WonWeight = 3;
  int32_t DrawWeight = 1;
  int32_t LossWeight = -1;
  std::string BookPath;  // empty: the data folder's book/book.tab
};

struct CBookBuildResult {
  long long GamesRead = 0;
  size_t NodesKept = 0;
  int32_t MinNodeWeight = 0, MaxNodeWeight = 0;  // of the culled book
  std::vector<std::string> SkippedFiles;          // "path: why", also in the log
  bool Stopped = false;                           // a stop request ended the walk early
};

// The settings a build starts from: the live book's weights (the struct's
// own when there is none) and the data folder's "case/" as RootDir.
CBookBuildSettings BookBuildDefaults(const COpeningBook* liveBook);

// The first setting that cannot be used, or no error.
CJobError CheckBookBuildSettings(const CBookBuildSettings& settings);

// Builds the book. Progress: Done = games read, Total = the files below
// RootDir (games that can be read at most), Current = the file. On
// success liveBook, when given, takes the new table and weights.
CJobError RunBookBuild(const CBookBuildSettings& settings, CJobControl& control, CBookBuildResult& result,
                       COpeningBook* liveBook = nullptr);
