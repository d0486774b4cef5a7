#pragma once
// Ctrl-C (SIGINT) and SIGTERM as a stop request for a long job. While a watch
// lives, the first signal calls the job's stop function from a thread of its
// own (so the function may do anything a normal thread may); a second signal
// ends the program at once with status 130.
//
// Construct the watch before the job starts any thread: the signals are
// blocked in the constructing thread and so in every thread it starts later.
#include <atomic>
#include <functional>
#include <thread>

#include <signal.h>

class CInterruptWatch {
 public:
  explicit CInterruptWatch(std::function<void()> stop);
  ~CInterruptWatch();
  CInterruptWatch(const CInterruptWatch&) = delete;
  CInterruptWatch& operator=(const CInterruptWatch&) = delete;

  // True once a stop was requested by a signal.
  bool Requested() const { return Stopped.load(); }

 private:
  void Watch();

  std::function<void()> Stop;
  std::atomic<bool> Stopped{false};
  std::atomic<bool> Closing{false};
  sigset_t OldMask;
  std::thread Watcher;
};
