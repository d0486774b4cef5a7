#pragma once
#include <string>

// The folder every data file is named relative to, ending in "/": the
// directory of the running executable, or the directory named by the
// environment variable TARVO_HOME when that exists. Computed once.
const std::string& GetExePath();

// Points every later GetExePath() call at another folder (a trailing "/" is
// added when missing). Tests and tools use it to keep their data apart.
void SetExePath(const std::string& folder);
