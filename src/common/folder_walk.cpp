#include "common/folder_walk.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

std::string CanonicalFolder(const std::string& path) {
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::canonical(path, error);
  return error ? path : canonical.string();
}

}  // namespace

bool CFolderWalk::Run(const std::string& root) {
  Seen.clear();
  Error.clear();
  Ended = false;
  SkippedEntries = 0;
  std::error_code error;
  if (std::filesystem::is_regular_file(root, error)) {
    CDirEntry entry;
    entry.Path = root;
    entry.Name = std::filesystem::path(root).filename().string();
    entry.IsRegular = true;
    entry.Size = std::filesystem::file_size(root, error);
    if (VisitFile && !VisitFile(entry)) Ended = true;
    return !Ended;
  }
  return Walk(root);
}

bool CFolderWalk::Walk(const std::string& folder) {
  if (!Seen.insert(CanonicalFolder(folder)).second) return true;
  if (EnterFolder && !EnterFolder(folder)) return true;
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(folder, entries, &Error)) return false;
  for (const CDirEntry& entry : entries) {
    if (entry.IsDir) {
      if (!Walk(entry.Path)) return false;
    } else if (!entry.IsRegular || IsLeftoverTempName(entry.Name)) {
      ++SkippedEntries;
    } else if (VisitFile && !VisitFile(entry)) {
      Ended = true;
      return false;
    }
  }
  return true;
}

long long CountFilesBelow(const std::string& root) {
  long long count = 0;
  CFolderWalk walk;
  walk.VisitFile = [&count](const CDirEntry&) {
    ++count;
    return true;
  };
  walk.Run(root);
  return count;
}
