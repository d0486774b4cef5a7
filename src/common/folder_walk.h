#pragma once
// A walk over every file below a folder, in byte order of names, that sees
// each real folder once however many links lead to it (a link to "." or to
// a parent would otherwise loop for ever, and a link to a sibling would
// offer its files twice). Only plain files are offered: a FIFO or device
// would block its reader, and a "*.tmp-XXXXXX" file is what an interrupted
// write left behind, never a finished file.
#include <functional>
#include <set>
#include <string>

#include "common/dir_list.h"

class CFolderWalk {
 public:
  // Called before a folder (the root too) is listed; false leaves it out.
  std::function<bool(const std::string& folder)> EnterFolder;
  // Called for each plain file; false ends the walk.
  std::function<bool(const CDirEntry& file)> VisitFile;

  // Walks root (a folder; a plain file is offered alone). False when a folder
  // could not be listed (Error names it) or a visitor ended the walk (Ended).
  bool Run(const std::string& root);

  std::string Error;
  bool Ended = false;
  int SkippedEntries = 0;  // non-plain and leftover temporary files passed over

 private:
  bool Walk(const std::string& folder);
  std::set<std::string> Seen;  // canonical paths of the folders entered
};

// Plain files below root, as the walk offers them (0 when root is unreadable).
long long CountFilesBelow(const std::string& root);
