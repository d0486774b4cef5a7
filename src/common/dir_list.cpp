#include "dir_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string WithTrailingSlash(const std::string& dir) {
  std::string out = dir;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

bool IsLeftoverTempName(const std::string& name) {
  const size_t at = name.rfind(".tmp-");
  return at != std::string::npos && name.size() == at + 11;
}

bool ListDirSorted(const std::string& dir, std::vector<CDirEntry>& entries, std::string* error) {
  entries.clear();
  const std::string base = WithTrailingSlash(dir);
  std::error_code ec;
  fs::directory_iterator it(base, ec), end;
  if (ec) {
    if (error) *error = base + ": " + ec.message();
    return false;
  }
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    CDirEntry entry;
    entry.Name = it->path().filename().string();
    entry.Path = base + entry.Name;
    std::error_code kind;
    entry.IsDir = it->is_directory(kind);
    entry.IsRegular = !entry.IsDir && it->is_regular_file(kind);
    if (entry.IsRegular) {
      const std::uintmax_t size = it->file_size(kind);
      entry.Size = kind ? 0 : size;
    }
    entries.push_back(std::move(entry));
  }
  if (ec) {
    if (error) *error = base + ": " + ec.message();
    return false;
  }
  // std::string compares as unsigned bytes through char_traits.
  std::sort(entries.begin(), entries.end(),
            [](const CDirEntry& a, const CDirEntry& b) { return a.Name < b.Name; });
  return true;
}
