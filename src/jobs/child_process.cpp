#include "jobs/child_process.h"

#include <cctype>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr size_t kMaxLineBytes = 1 << 16;  // a longer "line" is cut there
constexpr int kStopPollMs = 50;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Whether the command line's first word is a shell variable setting NAME=value.
bool StartsWithAssignment(const std::string& commandLine) {
  size_t i = commandLine.find_first_not_of(" \t");
  if (i == std::string::npos) return false;
  const size_t first = i;
  while (i < commandLine.size() && (std::isalnum(static_cast<unsigned char>(commandLine[i])) || commandLine[i] == '_'))
    ++i;
  return i > first && !std::isdigit(static_cast<unsigned char>(commandLine[first])) && i < commandLine.size() &&
         commandLine[i] == '=';
}

}  // namespace

int CChildProcess::Start(const std::string& commandLine) {
  End(0);
  ErrorText.clear();
  Pending.clear();
  SawEnd = false;
  Status = -1;

  // The child's input is a socket so that writing to a child that has gone
  // fails with EPIPE (MSG_NOSIGNAL) instead of killing us with SIGPIPE.
  int input[2] = {-1, -1};
  int output[2] = {-1, -1};
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0 ||
      ::pipe2(output, O_CLOEXEC) != 0) {
    ErrorText = std::string("cannot make pipes: ") + std::strerror(errno);
    for (int& fd : input) CloseFd(fd);
    for (int& fd : output) CloseFd(fd);
    return 0;
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGPIPE, SIGQUIT}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                                           POSIX_SPAWN_SETPGROUP));

  // "exec" makes the shell become the program, so our child is the engine itself.
  // A command line that begins with variable settings (TARVO_HOME=... prog)
  // goes through env, since the shell's exec would take "NAME=value" for the
  // program's name.
  const std::string script = (StartsWithAssignment(commandLine) ? "exec env " : "exec ") + commandLine;
  char shell[] = "/bin/sh";
  char dashC[] = "-c";
  std::string scriptCopy = script;
  char* argv[] = {shell, dashC, scriptCopy.data(), nullptr};
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  CloseFd(input[1]);
  CloseFd(output[1]);
  if (failed != 0) {
    ErrorText = std::string("cannot start /bin/sh: ") + std::strerror(failed);
    CloseFd(input[0]);
    CloseFd(output[0]);
    return 0;
  }
  Pid = pid;
  ToChild = input[0];
  FromChild = output[0];
  return 1;
}

int CChildProcess::WriteLine(const std::string& line) {
  if (ToChild < 0) return 0;
  const std::string text = line + "\n";
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t sent = ::send(ToChild, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return 0;
    done += static_cast<size_t>(sent);
  }
  return 1;
}

CReadStatus CChildProcess::ReadLine(std::string& line, int waitMs, const std::function<bool()>& stop) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
  for (;;) {
    const size_t end = Pending.find('\n');
    if (end != std::string::npos || Pending.size() >= kMaxLineBytes) {
      const size_t cut = end != std::string::npos ? end : Pending.size();
      line = Pending.substr(0, cut);
      Pending.erase(0, end != std::string::npos ? cut + 1 : cut);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return CReadStatus::Line;
    }
    if (SawEnd || FromChild < 0) {
      if (!Pending.empty()) {
        line.swap(Pending);
        Pending.clear();
        return CReadStatus::Line;
      }
      return CReadStatus::Closed;
    }
    if (stop && stop()) return CReadStatus::Stopped;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return CReadStatus::TimeOut;
    pollfd watch {FromChild, POLLIN, 0};
    const int slice = static_cast<int>(stop ? std::min<long long>(left, kStopPollMs) : left);
    const int ready = ::poll(&watch, 1, slice);
    if (ready < 0 && errno != EINTR) {
      SawEnd = true;
      continue;
    }
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(FromChild, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      SawEnd = true;
      continue;
    }
    Pending.append(buffer, static_cast<size_t>(got));
  }
}

bool CChildProcess::Reap(bool wait) {
  if (Pid <= 0) return true;
  int status = 0;
  pid_t done;
  do {
    done = ::waitpid(Pid, &status, wait ? 0 : WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == 0) return false;
  if (done == Pid) {
    if (WIFEXITED(status)) Status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) Status = 128 + WTERMSIG(status);
  }
  Pid = -1;
  return true;
}

void CChildProcess::End(int graceMs) {
  CloseFd(ToChild);  // end of input: a well-behaved program leaves
  if (Pid > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (!Reap(false) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (Pid > 0) {
      ::kill(-Pid, SIGKILL);  // its whole group, in case it started helpers
      ::kill(Pid, SIGKILL);
      Reap(true);
    }
  }
  CloseFd(FromChild);
  Pending.clear();
}
