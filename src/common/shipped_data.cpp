#include "common/shipped_data.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/notices.h"

namespace {
// Whether the data folder's position keys are those the shipped book was
// built with (always so when nothing ships a key file).
bool KeysMatch(const std::string& shippedFolder, const std::string& dataFolder) {
  std::string shipped, own;
  if (!ReadWholeFile(shippedFolder + kShippedKeyFile, shipped)) return true;
  return ReadWholeFile(dataFolder + kShippedKeyFile, own) && own == shipped;
}
}  // namespace

std::vector<std::string> CopyShippedData(const std::string& shippedFolder,
                                         const std::string& dataFolder) {
  namespace fs = std::filesystem;
  std::vector<std::string> copied;
  std::error_code error;
  if (fs::equivalent(shippedFolder, dataFolder, error)) return copied;
  for (const char* name : kShippedDataFiles) {
    const std::string source = shippedFolder + name;
    const std::string target = dataFolder + name;
    if (!fs::is_regular_file(source, error) || fs::exists(fs::symlink_status(target, error)))
      continue;
    if (name == std::string(kShippedBookFile) && !KeysMatch(shippedFolder, dataFolder)) continue;
    std::string content;
    fs::create_directories(fs::path(target).parent_path(), error);
    if (!ReadWholeFile(source, content) || !WriteFileAtomically(target, content)) {
      PostNotice(CNoticeKind::ShippedCopyFailed, source, target);
      continue;
    }
    copied.push_back(name);
  }
  return copied;
}

void SeedNewDataFolder() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Only a person's own folder: the folders tests and benchmarks set up
    // for themselves must not change with the shipped files.
    if (!ExePathIsTarvoHome() || !ExePathProblem().empty()) return;
    const std::string& data = GetExePath();
    std::error_code error;
    if (std::filesystem::exists(data + kShippedKeyFile, error)) return;
    CopyShippedData(ExecutableFolder(), data);
  });
}
