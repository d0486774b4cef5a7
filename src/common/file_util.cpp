#include "common/file_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/notices.h"

void EnsureDirectory(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return;
  ::mkdir(path.c_str(), 0755);
}

CAtomicFile::~CAtomicFile() { Abort(); }

FILE* CAtomicFile::Open(const std::string& target, const char* mode) {
  Abort();
  Target = target;
  TempPath = target + ".tmp-XXXXXX";
  int fd = ::mkstemp(TempPath.data());
  if (fd < 0) {
    TempPath.clear();
    return nullptr;
  }
  ::fchmod(fd, 0644);
  File = ::fdopen(fd, mode);
  if (!File) {
    ::close(fd);
    ::unlink(TempPath.c_str());
    TempPath.clear();
  }
  return File;
}

int CAtomicFile::Commit() {
  if (!File) return 0;
  bool ok = std::fflush(File) == 0 && !std::ferror(File);
  ok = ::fsync(::fileno(File)) == 0 && ok;
  ok = std::fclose(File) == 0 && ok;
  File = nullptr;
  if (ok) ok = std::rename(TempPath.c_str(), Target.c_str()) == 0;
  if (!ok) ::unlink(TempPath.c_str());
  TempPath.clear();
  return ok ? 1 : 0;
}

void CAtomicFile::Abort() {
  if (File) {
    std::fclose(File);
    File = nullptr;
  }
  if (!TempPath.empty()) {
    ::unlink(TempPath.c_str());
    TempPath.clear();
  }
}

int WriteFileAtomically(const std::string& path, const std::string& content) {
  CAtomicFile file;
  FILE* stream = file.Open(path, "wb");
  if (!stream) return 0;
  if (!content.empty() && std::fwrite(content.data(), 1, content.size(), stream) != content.size())
    return 0;
  return file.Commit();
}

int ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  content = buffer.str();
  return in.bad() ? 0 : 1;
}

std::string KeepAside(const std::string& path) {
  std::string aside = path + ".damaged-" + LocalTimeStamp();
  for (int n = 1; ::access(aside.c_str(), F_OK) == 0; ++n)
    aside = path + ".damaged-" + LocalTimeStamp() + "-" + std::to_string(n);
  if (std::rename(path.c_str(), aside.c_str()) != 0) {
    PostNotice(CNoticeKind::DamagedNotMovedAside, path);
    return {};
  }
  PostNotice(CNoticeKind::DamagedKeptAside, path, aside);
  return aside;
}

std::string LocalTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char text[80];
  std::snprintf(text, sizeof text, "%04d_%02d_%02d_%02d_%02d_%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

long long FreeBytes(const std::string& path) {
  std::error_code error;
  const std::filesystem::space_info space = std::filesystem::space(path, error);
  if (error) return -1;
  return static_cast<long long>(space.available);
}
