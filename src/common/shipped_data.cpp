#include "common/shipped_data.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <system_error>

#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/notices.h"
#include "common/sha256.h"

namespace {

// Name -> digest of the file last shipped under that name.
using CShippedRecord = std::map<std::string, std::string>;

// Calls take(digest, name) for each line of a record file.
template <typename Take>
void ReadDigestLines(const std::string& path, Take take) {
  std::string text;
  if (!ReadWholeFile(path, text)) return;
  std::istringstream lines(text);
  std::string digest, name;
  while (lines >> digest >> name)
    if (digest.size() == 64) take(digest, name);
}

CShippedRecord ReadRecord(const std::string& path) {
  CShippedRecord record;
  ReadDigestLines(path, [&](const std::string& digest, const std::string& name) { record[name] = digest; });
  return record;
}

void WriteRecord(const std::string& path, const CShippedRecord& record) {
  std::string text;
  for (const auto& [name, digest] : record) text += digest + "  " + name + "\n";
  WriteFileAtomically(path, text);  // without it, a later update keeps these copies: no harm
}

// The digest of a file, or "" when it is no file or cannot be read.
std::string DigestOf(const std::string& path) {
  std::error_code error;
  std::string content;
  if (!std::filesystem::is_regular_file(path, error) || !ReadWholeFile(path, content)) return std::string();
  return Sha256Hex(content);
}

std::string Recorded(const CShippedRecord& record, const std::string& name) {
  const auto found = record.find(name);
  return found == record.end() ? std::string() : found->second;
}

}  // namespace

std::vector<std::string> UpdateShippedData(const std::string& shippedFolder,
                                           const std::string& dataFolder) {
  namespace fs = std::filesystem;
  std::vector<std::string> copied;
  std::error_code error;
  if (fs::equivalent(shippedFolder, dataFolder, error)) return copied;
  const CShippedRecord before = ReadRecord(dataFolder + kShippedRecordFile);
  CShippedRecord record = before;
  std::set<std::string> earlier;  // "<digest>  <name>" of the files earlier versions shipped
  ReadDigestLines(shippedFolder + kShippedBeforeFile,
                  [&](const std::string& digest, const std::string& name) { earlier.insert(digest + "  " + name); });
  // Every file is read and hashed once: name -> digest ("" when missing).
  std::map<std::string, std::string> shipped, own;
  for (const std::string name : kShippedDataFiles) {
    shipped[name] = DigestOf(shippedFolder + name);
    own[name] = DigestOf(dataFolder + name);
  }
  // A copy of a file shipped before, by the folder's record or the versions' list.
  const auto shippedBefore = [&](const std::string& name) {
    return !own[name].empty() && (own[name] == Recorded(record, name) || earlier.count(own[name] + "  " + name) > 0);
  };
  // A file of the owner's own: neither the shipped one nor one shipped before.
  const auto ownersOwn = [&](const std::string& name) {
    return !own[name].empty() && own[name] != shipped[name] && !shippedBefore(name);
  };
  for (const std::string name : kShippedDataFiles) {
    const std::string source = shippedFolder + name;
    const std::string target = dataFolder + name;
    if (shipped[name].empty()) continue;
    if (own[name] == shipped[name]) {
      record[name] = shipped[name];
      continue;
    }
    const bool present = fs::exists(fs::symlink_status(target, error));
    if (present && !shippedBefore(name)) continue;  // the owner's
    // Missing, or an earlier shipped copy nobody changed.
    if (name == kShippedKeyFile && present && ownersOwn(kShippedBookFile)) continue;
    // A book under other keys would never be found.
    const bool keysMatch = shipped[kShippedKeyFile].empty() || own[kShippedKeyFile] == shipped[kShippedKeyFile];
    if (name == kShippedBookFile && !keysMatch) continue;
    std::string content;
    fs::create_directories(fs::path(target).parent_path(), error);
    if (!ReadWholeFile(source, content) || !WriteFileAtomically(target, content)) {
      PostNotice(CNoticeKind::ShippedCopyFailed, source, target);
      continue;
    }
    record[name] = own[name] = shipped[name];
    copied.push_back(name);
  }
  if (record != before) WriteRecord(dataFolder + kShippedRecordFile, record);
  return copied;
}

void SeedDataFolder() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Only a person's own folder: the folders tests and benchmarks set up
    // for themselves must not change with the shipped files.
    if (!ExePathIsTarvoHome() || !ExePathProblem().empty()) return;
    UpdateShippedData(ExecutableFolder(), GetExePath());
  });
}
