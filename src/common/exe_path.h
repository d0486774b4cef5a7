#pragma once
#include <string>

#include "common/notices.h"

// The folder every data file is named relative to, ending in "/": the folder
// named by the environment variable TARVO_HOME when it is set, else the
// directory of the running executable. Computed once.
const std::string& GetExePath();

// The directory of the running executable, ending in "/": where the program's
// own files are (the board pictures, the shipped knowledge), whatever data
// folder is in use.
const std::string& ExecutableFolder();

// Points every later GetExePath() call at another folder (a trailing "/" is
// added when missing). Tests and tools use it to keep their data apart.
void SetExePath(const std::string& folder);

// Whether GetExePath() answers the folder TARVO_HOME names (not the
// executable's folder, nor one a test or tool chose with SetExePath).
bool ExePathIsTarvoHome();

// Why the folder TARVO_HOME names cannot be used (it is a file, or it was
// missing and could not be created); empty when all is well. GetExePath()
// still answers that folder then, never silently another one, so the front
// ends refuse to go on or show the problem.
const std::string& ExePathProblem();

// How the folder is chosen from the value of TARVO_HOME (nullptr or empty:
// unset). A missing TARVO_HOME folder is created with its parents, and the
// creation is posted as a notice (common/notices.h).
struct CExePathChoice {
  std::string Folder;   // ends in "/"
  std::string Problem;  // empty when Folder can be used
  CNotice ProblemNotice;  // the same, as a notice
};
CExePathChoice ChooseExePath(const char* tarvoHome);
