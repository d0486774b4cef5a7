#include "test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/exe_path.h"

std::string TestDataPath(const std::string& name) { return std::string(TARVO_TEST_DATA_DIR) + "/" + name; }

ScopedTarvoHome::ScopedTarvoHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  Folder = pattern + "/";
  SetExePath(Folder);
}

ScopedTarvoHome::~ScopedTarvoHome() {
  std::error_code error;
  std::filesystem::remove_all(Folder, error);
}

std::string RunCommand(const std::string& command, int* exitCode) {
  std::string output;
  // A TARVO_HOME of the caller's environment must not reach the program:
  // commands that want one set it themselves.
  FILE* pipe = popen(("unset TARVO_HOME; " + command).c_str(), "r");
  if (!pipe) {
    if (exitCode) *exitCode = -1;
    return output;
  }
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}
