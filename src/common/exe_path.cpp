#include "common/exe_path.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "common/notices.h"

namespace {

struct CExePathState {
  std::once_flag Once;
  std::string Path;
  std::string Problem;
  bool FromTarvoHome = false;  // the folder TARVO_HOME names, not SetExePath's
};

CExePathState& State() {
  static CExePathState state;
  return state;
}

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

const std::string& ExecutableFolder() {
  // The running program does not move: read once (the board asks on every redraw).
  static const std::string folder = [] {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::string("./");
    return WithTrailingSlash(exe.parent_path().string());
  }();
  return folder;
}

CExePathChoice ChooseExePath(const char* tarvoHome) {
  CExePathChoice choice;
  if (!tarvoHome || !*tarvoHome) {
    choice.Folder = ExecutableFolder();
    return choice;
  }
  const std::string home = tarvoHome;
  choice.Folder = WithTrailingSlash(home);
  std::error_code error;
  if (std::filesystem::is_directory(home, error)) return choice;
  if (std::filesystem::exists(home, error)) {
    choice.ProblemNotice = {CNoticeKind::DataFolderNotAFolder, home, {}, EnglishNotice(CNoticeKind::DataFolderNotAFolder, home)};
    choice.Problem = choice.ProblemNotice.Text;
    return choice;
  }
  if (!std::filesystem::create_directories(home, error) || error) {
    const std::string why = error ? ": " + error.message() : std::string();
    choice.ProblemNotice = {CNoticeKind::DataFolderUnusable, home, why,
                            EnglishNotice(CNoticeKind::DataFolderUnusable, home, why)};
    choice.Problem = choice.ProblemNotice.Text;
    return choice;
  }
  PostNotice(CNoticeKind::DataFolderCreated, home);
  return choice;
}

const std::string& GetExePath() {
  CExePathState& state = State();
  std::call_once(state.Once, [&state] {
    if (!state.Path.empty()) return;
    const char* home = std::getenv("TARVO_HOME");
    CExePathChoice choice = ChooseExePath(home);
    state.Path = choice.Folder;
    state.FromTarvoHome = home && *home;
    state.Problem = choice.Problem;
    if (!state.Problem.empty()) PostNotice(choice.ProblemNotice);
  });
  return state.Path;
}

void SetExePath(const std::string& folder) {
  CExePathState& state = State();
  std::call_once(state.Once, [] {});
  state.Path = WithTrailingSlash(folder);
  state.Problem.clear();
  state.FromTarvoHome = false;
}

bool ExePathIsTarvoHome() {
  GetExePath();
  return State().FromTarvoHome;
}

const std::string& ExePathProblem() {
  GetExePath();
  return State().Problem;
}
