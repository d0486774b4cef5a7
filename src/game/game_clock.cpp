#include "game/game_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {
int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

CGameClock::CGameClock(CNowMs now) : NowMs(std::move(now)) {}

void CGameClock::SetTimeSource(CNowMs now) {
  std::lock_guard lock(Guard);
  NowMs = std::move(now);
}

int64_t CGameClock::Now() const { return NowMs ? NowMs() : SteadyMs(); }

void CGameClock::ChargeRunning(int64_t now) {
  if (!Counting) return;
  (RedToMove ? RedMs : BlackMs) -= now - Since;
  Since = now;
}

void CGameClock::Start(const CTimeControl& control, bool redToMove) {
  std::lock_guard lock(Guard);
  Limits = control;
  On = control.Enabled();
  Counting = On;
  RedToMove = redToMove;
  RedMs = BlackMs = int64_t {control.Minutes} * 60000;
  Since = Now();
}

void CGameClock::Stop() {
  std::lock_guard lock(Guard);
  ChargeRunning(Now());
  Counting = false;
}

void CGameClock::Moved() {
  std::lock_guard lock(Guard);
  if (!Counting) return;
  ChargeRunning(Now());
  (RedToMove ? RedMs : BlackMs) += int64_t {Limits.IncrementSeconds} * 1000;
  RedToMove = !RedToMove;
}

void CGameClock::SetSideToMove(bool redToMove) {
  std::lock_guard lock(Guard);
  ChargeRunning(Now());
  RedToMove = redToMove;
}

bool CGameClock::Enabled() const {
  std::lock_guard lock(Guard);
  return On;
}

bool CGameClock::Running() const {
  std::lock_guard lock(Guard);
  return Counting;
}

bool CGameClock::RedRunning() const {
  std::lock_guard lock(Guard);
  return Counting && RedToMove;
}

CTimeControl CGameClock::Control() const {
  std::lock_guard lock(Guard);
  return Limits;
}

int64_t CGameClock::RemainingMs(bool red) const {
  std::lock_guard lock(Guard);
  const int64_t left = red ? RedMs : BlackMs;
  return Counting && red == RedToMove ? left - (Now() - Since) : left;
}

bool CGameClock::Flagged() const {
  std::lock_guard lock(Guard);
  return Counting && (RedToMove ? RedMs : BlackMs) - (Now() - Since) <= 0;
}

int64_t EngineMoveTimeMs(int64_t remainingMs, int64_t incrementMs) {
  const int64_t share = std::min(remainingMs / 30 + incrementMs, remainingMs * 3 / 4);
  return std::max(kMinEngineMoveMs, share);
}

std::string ClockText(int64_t remainingMs) {
  // Whole seconds rounded up: a clock shows 0:00 only when the time is gone.
  const int64_t seconds = remainingMs <= 0 ? 0 : (remainingMs + 999) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}
