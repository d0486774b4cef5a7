#pragma once
// One folder's entries in byte order of their names, so every walk over a
// tree of game records visits files in the same order on every machine.
#include <cstdint>
#include <string>
#include <vector>

struct CDirEntry {
  std::string Name;  // the entry's name, no folder
  std::string Path;  // the folder + "/" + name
  bool IsDir = false;
  bool IsRegular = false;  // a plain file (not a FIFO, socket or device, which may block a reader)
  std::uintmax_t Size = 0;  // bytes, for files
};

// Lists `dir` (with or without a trailing "/"). Returns false with `error`
// set when the folder cannot be read; links are followed.
bool ListDirSorted(const std::string& dir, std::vector<CDirEntry>& entries, std::string* error = nullptr);

// Whether the name is a temporary file that an interrupted atomic write
// left behind ("<target>.tmp-XXXXXX"): never a finished file to read.
bool IsLeftoverTempName(const std::string& name);

// `dir` with exactly one trailing "/".
std::string WithTrailingSlash(const std::string& dir);
