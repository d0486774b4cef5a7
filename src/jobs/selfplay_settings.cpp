#include "jobs/selfplay_settings.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "common/random.h"

int32_t CSelfPlaySettings::DefaultSelfPlayThreads() {
  return static_cast<int32_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

int64_t CSelfPlaySettings::NewSelfPlaySeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto nanos = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  return MixSeed(nanos, static_cast<uint32_t>(::getpid()), 0);
}

CJobError CheckSelfPlaySettings(const CSelfPlaySettings& s) {
  if (s.OutDir.empty()) {
    CJobError error;
    error.Fault = CJobFault::Missing;
    error.Setting = "OutDir";
    return error;
  }
  const std::pair<const char*, double> values[] = {
      {"Games", s.Games},
      {"AEval", s.A.EvalModel},
      {"BEval", s.B.EvalModel},
      {"ADepth", s.A.Depth},
      {"BDepth", s.B.Depth},
      {"ANodes", s.A.Nodes},
      {"BNodes", s.B.Nodes},
      {"MoveTime", s.MoveTime},
      {"RandomPlies", s.RandomPlies},
      {"MaxPlies", s.MaxPlies},
      {"MinDeltaPieceCount", s.MinDeltaPieceCount},
      {"Threads", s.Threads},
      {"Seed", static_cast<double>(s.Seed)},
  };
  for (const auto& [setting, value] : values)
    if (CJobError error = CheckRange(kSelfPlayRanges, setting, value)) return error;
  return {};
}
