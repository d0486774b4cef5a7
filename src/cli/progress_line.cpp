#include "progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace {
// A terminal line is cheap to rewrite; a log file wants fewer lines.
constexpr double kTerminalPeriod = 0.2;
constexpr double kPlainPeriod = 5.0;
}  // namespace

CProgressLine::CProgressLine(std::string label, long long total)
    : Label(std::move(label)),
      Total(total),
      Terminal(isatty(STDERR_FILENO) != 0),
      Start(std::chrono::steady_clock::now()),
      LastShown(Start) {}

double CProgressLine::Seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

void CProgressLine::Update(long long done, const std::string& detail) {
  const auto now = std::chrono::steady_clock::now();
  const double since = std::chrono::duration<double>(now - LastShown).count();
  if (since < (Terminal ? kTerminalPeriod : kPlainPeriod)) return;
  Show(done, detail, false);
}

void CProgressLine::Finish(long long done, const std::string& detail) { Show(done, detail, true); }

void CProgressLine::Show(long long done, const std::string& detail, bool last) {
  LastShown = std::chrono::steady_clock::now();
  const double seconds = Seconds();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  char count[64];
  if (Total > 0)
    std::snprintf(count, sizeof count, "%lld/%lld", done, Total);
  else
    std::snprintf(count, sizeof count, "%lld", done);
  std::fprintf(stderr, "%s%s: %s, %.1f/s, %.1f s%s%s%s", Terminal ? "\r\033[K" : "", Label.c_str(),
               count, rate, seconds, detail.empty() ? "" : ", ", detail.c_str(),
               Terminal && !last ? "" : "\n");
  std::fflush(stderr);
  Shown = true;
}
