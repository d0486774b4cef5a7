#pragma once
// A program run as a child process with its standard input and output
// connected to us: lines written to it, lines read from it with a time
// limit. The child is always ended and reaped by End() or the destructor,
// so neither zombies nor open descriptors outlive the object.
#include <functional>
#include <string>
#include <sys/types.h>

enum class CReadStatus { Line, TimeOut, Closed, Stopped };

class CChildProcess {
 public:
  CChildProcess() = default;
  ~CChildProcess() { End(0); }
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  // Runs the command line through /bin/sh (so quoting works as in a
  // terminal). The child gets its own process group, so a Ctrl-C meant for
  // us does not reach it, and its standard error goes to /dev/null.
  // 1 when the process was created; 0 with Error() set.
  int Start(const std::string& commandLine);
  bool IsRunning() const { return Pid > 0; }

  // Writes one line (a newline is added). 0 when the child has gone.
  int WriteLine(const std::string& line);
  // Reads the next line (without its line end), waiting up to waitMs.
  // stop, when given, is asked about every 50 ms; true ends the wait.
  CReadStatus ReadLine(std::string& line, int waitMs, const std::function<bool()>& stop = nullptr);

  // Closes its input so it can leave by itself, waits up to graceMs for it,
  // then kills it; always reaps it and closes every descriptor.
  void End(int graceMs);
  // How the child ended, as a shell shows it: the exit status, or 128 + the
  // signal number; -1 while unknown.
  int ExitCode() const { return Status; }
  const std::string& Error() const { return ErrorText; }

 private:
  bool Reap(bool wait);

  pid_t Pid = -1;
  int ToChild = -1;
  int FromChild = -1;
  std::string Pending;  // bytes read after the last complete line
  bool SawEnd = false;
  int Status = -1;
  std::string ErrorText;
};
