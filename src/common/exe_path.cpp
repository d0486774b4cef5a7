#include "common/exe_path.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

std::string& ExePathStorage() {
  static std::string path;
  return path;
}

std::once_flag& ExePathOnce() {
  static std::once_flag once;
  return once;
}

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string ComputeExePath() {
  std::error_code error;
  if (const char* home = std::getenv("TARVO_HOME"); home && *home) {
    if (std::filesystem::is_directory(home, error)) return WithTrailingSlash(home);
  }
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "./";
  return WithTrailingSlash(exe.parent_path().string());
}

}  // namespace

const std::string& GetExePath() {
  std::call_once(ExePathOnce(), [] {
    if (ExePathStorage().empty()) ExePathStorage() = ComputeExePath();
  });
  return ExePathStorage();
}

void SetExePath(const std::string& folder) {
  std::call_once(ExePathOnce(), [] {});
  ExePathStorage() = WithTrailingSlash(folder);
}
