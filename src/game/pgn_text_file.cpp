#include "game/pgn_text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/text_encoding.h"

namespace {

// Closes the descriptor on every way out.
struct CFd {
  int Fd;
  ~CFd() {
    if (Fd >= 0) ::close(Fd);
  }
};

}  // namespace

void ToGameText(std::string& text) {
  if (text.starts_with(UTF8_BOM)) text.erase(0, UTF8_BOM.size());
  if (LooksLikeUtf8(text)) text = Utf8ToGb18030(text);
}

std::string DescribeGameFileError(const CGameFileError& error) {
  switch (error.Kind) {
    case CGameFileFailure::System: return std::strerror(error.SystemError);
    case CGameFileFailure::Folder: return "is a folder, not a file of games";
    case CGameFileFailure::NotRegular: return "is a device or a pipe, not a file of games";
    case CGameFileFailure::TooLarge:
      return std::string("is larger than ") + MAX_GAME_FILE_TEXT + ", too large for a game file";
    case CGameFileFailure::NulBytes: return "holds NUL bytes: not a text file";
    case CGameFileFailure::None: break;
  }
  return {};
}

std::string DescribeGameFileErrorChinese(const CGameFileError& error) {
  switch (error.Kind) {
    case CGameFileFailure::System:
      if (error.SystemError == ENOENT) return "文件不存在";
      if (error.SystemError == EACCES || error.SystemError == EPERM) return "没有读取权限";
      return "系统无法读取该文件 (错误号 " + std::to_string(error.SystemError) + ")";
    case CGameFileFailure::Folder: return "这是文件夹, 不是棋谱文件";
    case CGameFileFailure::NotRegular: return "这是设备或管道, 不是棋谱文件";
    case CGameFileFailure::TooLarge: return std::string("文件超过 ") + MAX_GAME_FILE_TEXT + ", 不是棋谱文件";
    case CGameFileFailure::NulBytes: return "文件含有 NUL 字节, 不是文本文件";
    case CGameFileFailure::None: break;
  }
  return {};
}

int OpenRegularFile(const std::string& path, CGameFileError& error) {
  // Non-blocking, so a pipe without a writer is refused rather than waited on.
  CFd file {::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  struct stat info {};
  if (file.Fd < 0 || ::fstat(file.Fd, &info) != 0) {
    error = {CGameFileFailure::System, errno};
    return -1;
  }
  if (S_ISDIR(info.st_mode)) {
    error = {CGameFileFailure::Folder, 0};
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    error = {CGameFileFailure::NotRegular, 0};
    return -1;
  }
  // Reads on a regular file never block; plain flags for whoever reads it.
  ::fcntl(file.Fd, F_SETFL, 0);
  const int fd = file.Fd;
  file.Fd = -1;
  return fd;
}

int OpenRegularFile(const std::string& path, std::string& error) {
  CGameFileError failure;
  const int fd = OpenRegularFile(path, failure);
  if (fd < 0) error = DescribeGameFileError(failure);
  return fd;
}

int ReadGameTextFile(const std::string& path, std::string& text, CGameFileError& error) {
  text.clear();
  CFd file {OpenRegularFile(path, error)};
  if (file.Fd < 0) return 0;
  struct stat info {};
  if (::fstat(file.Fd, &info) != 0) {
    error = {CGameFileFailure::System, errno};
    return 0;
  }
  if (static_cast<unsigned long long>(info.st_size) > MAX_GAME_FILE_BYTES) {
    error = {CGameFileFailure::TooLarge, 0};
    return 0;
  }
  // The file may grow while it is read: never take more than the limit.
  text.resize(static_cast<size_t>(info.st_size) + 1);
  size_t size = 0;
  for (;;) {
    if (size == text.size()) {
      if (size > MAX_GAME_FILE_BYTES) {
        error = {CGameFileFailure::TooLarge, 0};
        text.clear();
        return 0;
      }
      text.resize(size * 2 < MAX_GAME_FILE_BYTES + 1 ? size * 2 : MAX_GAME_FILE_BYTES + 1);
    }
    const ssize_t n = ::read(file.Fd, text.data() + size, text.size() - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = {CGameFileFailure::System, errno};
      text.clear();
      return 0;
    }
    if (n == 0) break;
    size += static_cast<size_t>(n);
  }
  text.resize(size);
  if (text.find('\0') != std::string::npos) {
    error = {CGameFileFailure::NulBytes, 0};
    text.clear();
    return 0;
  }
  ToGameText(text);
  return 1;
}
