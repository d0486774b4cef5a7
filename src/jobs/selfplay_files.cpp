#include "jobs/selfplay_files.h"

#include <algorithm>
#include <cstdio>

#include "common/dir_list.h"

namespace {
constexpr char kPrefix[] = "selfplay_";
constexpr char kSuffix[] = ".pgn";
constexpr size_t kPrefixLength = sizeof kPrefix - 1, kSuffixLength = sizeof kSuffix - 1;
constexpr size_t kMinDigits = 6, kMaxDigits = 9;
}  // namespace

std::string SelfPlayFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%06d%s", kPrefix, number, kSuffix);
  return name;
}

int SelfPlayNumberOf(const std::string& name) {
  if (name.size() < kPrefixLength + kMinDigits + kSuffixLength || name.compare(0, kPrefixLength, kPrefix) != 0 ||
      name.compare(name.size() - kSuffixLength, kSuffixLength, kSuffix) != 0)
    return 0;
  const std::string digits = name.substr(kPrefixLength, name.size() - kPrefixLength - kSuffixLength);
  if (digits.size() > kMaxDigits || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  const int number = std::stoi(digits);
  // Only the name this program writes for the number counts.
  return SelfPlayFileName(number) == name ? number : 0;
}

bool ListSelfPlayRecords(const std::string& dir, std::vector<int>& numbers, std::string& error) {
  numbers.clear();
  std::vector<CDirEntry> entries;
  if (!ListDirSorted(dir, entries, &error)) return false;
  for (const CDirEntry& entry : entries)
    if (entry.IsRegular)
      if (const int number = SelfPlayNumberOf(entry.Name)) numbers.push_back(number);
  std::sort(numbers.begin(), numbers.end());
  return true;
}

std::vector<int> MissingSelfPlayNumbers(const std::vector<int>& existing, int count) {
  std::vector<int> missing;
  size_t at = 0;
  for (int number = 1; static_cast<int>(missing.size()) < count; ++number) {
    while (at < existing.size() && existing[at] < number) ++at;
    if (at < existing.size() && existing[at] == number) continue;
    missing.push_back(number);
  }
  return missing;
}
