#pragma once
#include <cstdio>
#include <string>

// Creates the folder when no file or folder of that name exists; reports nothing.
void EnsureDirectory(const std::string& path);

// A file written beside its target under a temporary name and renamed over
// the target on Commit, so a crash or a failed write never leaves a
// truncated file where a good one stood. Destroying it uncommitted removes
// the temporary file and leaves the target as it was.
class CAtomicFile {
 public:
  CAtomicFile() = default;
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Opens the temporary file with the given fopen mode ("w" or "wb").
  // Returns the stream, or nullptr when it cannot be created.
  FILE* Open(const std::string& target, const char* mode);
  FILE* Stream() const { return File; }
  // Flushes, closes and renames over the target. 1 on success, 0 otherwise
  // (then the target is untouched).
  int Commit();
  // Closes and removes the temporary file.
  void Abort();

 private:
  FILE* File = nullptr;
  std::string Target;
  std::string TempPath;
};

// Writes the whole text to the path through a temporary file. 1/0.
int WriteFileAtomically(const std::string& path, const std::string& content);

// Reads a whole file into text. 1/0.
int ReadWholeFile(const std::string& path, std::string& content);

// Moves a damaged file out of the way under a new name beside it
// ("<name>.damaged-<time stamp>"), so it is kept for inspection and never
// overwritten. Returns the new path, or empty text when the rename failed.
// Either way a notice names the file (common/notices.h).
std::string KeepAside(const std::string& path);

// Local time as "%04d_%02d_%02d_%02d_%02d_%02d".
std::string LocalTimeStamp();

// Bytes free to this program on the disk that holds the path, or -1 when
// that cannot be read.
long long FreeBytes(const std::string& path);
