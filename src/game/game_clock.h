#pragma once
// A chess clock for the two sides: minutes a side plus seconds added after
// each of its moves. Only the side to move loses time. The time source is
// injected, so the clock can be driven by hand; the state is guarded, since
// the window reads it once a second while a worker plays a move.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

struct CTimeControl {
  int32_t Minutes = 0;           // a side's time; 0: no clock
  int32_t IncrementSeconds = 0;  // added to the mover's time after its move
  bool Enabled() const { return Minutes > 0; }
  friend bool operator==(const CTimeControl&, const CTimeControl&) = default;
};

class CGameClock {
 public:
  // Milliseconds from any fixed point.
  using CNowMs = std::function<int64_t()>;

  // now: the time source (nullptr: the steady clock).
  explicit CGameClock(CNowMs now = nullptr);
  CGameClock(const CGameClock&) = delete;
  CGameClock& operator=(const CGameClock&) = delete;

  void SetTimeSource(CNowMs now);

  // Both sides get the full time and the side to move's clock runs; a
  // control without time switches the clock off.
  void Start(const CTimeControl& control, bool redToMove);
  // Keeps the times as they stand and stops counting (the game is over).
  void Stop();
  // The side to move moved: its time is charged, its increment added, and
  // the other side's clock runs.
  void Moved();
  // The side to move changed without a move (undo, redo): the time so far
  // is charged, no increment is added.
  void SetSideToMove(bool redToMove);

  bool Enabled() const;  // a time control is set for this game
  bool Running() const;
  bool RedRunning() const;
  CTimeControl Control() const;
  // A side's time left now (below 0 once its flag fell).
  int64_t RemainingMs(bool red) const;
  // The running side has no time left.
  bool Flagged() const;

 private:
  int64_t Now() const;
  void ChargeRunning(int64_t now);

  mutable std::mutex Guard;
  CNowMs NowMs;
  CTimeControl Limits;
  bool On = false;
  bool Counting = false;
  bool RedToMove = true;
  int64_t RedMs = 0, BlackMs = 0;
  int64_t Since = 0;  // when the running side's clock last started
};

// The search time for an engine playing to its clock: a thirtieth of what
// is left plus the increment, never more than three quarters of what is
// left and never below kMinEngineMoveMs.
inline constexpr int64_t kMinEngineMoveMs = 100;
int64_t EngineMoveTimeMs(int64_t remainingMs, int64_t incrementMs);

// A clock's reading for the board: "4:59", "12:00"; "0:00" when out of time.
std::string ClockText(int64_t remainingMs);
