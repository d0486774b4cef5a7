#include "interrupt_watch.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdio>

namespace {
sigset_t WatchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR2);  // the destructor's wake-up call
  return set;
}
}  // namespace

CInterruptWatch::CInterruptWatch(std::function<void()> stop) : Stop(std::move(stop)) {
  const sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, &OldMask);
  Watcher = std::thread([this] { Watch(); });
}

CInterruptWatch::~CInterruptWatch() {
  Closing.store(true);
  pthread_kill(Watcher.native_handle(), SIGUSR2);
  Watcher.join();
  // A signal that arrived while nothing watched would otherwise fire at the
  // unblock; the job is over, so it is dropped.
  sigset_t pending;
  sigpending(&pending);
  const sigset_t set = WatchedSignals();
  struct timespec none = {0, 0};
  while (sigtimedwait(&set, nullptr, &none) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &OldMask, nullptr);
}

void CInterruptWatch::Watch() {
  const sigset_t set = WatchedSignals();
  for (;;) {
    int signal = 0;
    if (sigwait(&set, &signal) != 0) continue;
    if (Closing.load()) return;
    if (signal == SIGUSR2) continue;
    if (Stopped.exchange(true)) {
      std::fprintf(stderr, "\ntarvo-cli: stopped at once\n");
      _exit(130);
    }
    std::fprintf(stderr, "\ntarvo-cli: stopping when the current step ends (press Ctrl-C again to quit at once)\n");
    if (Stop) Stop();
  }
}
