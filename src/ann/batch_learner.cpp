#include "ann/batch_learner.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <system_error>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Between batches a worker or the caller waits only microseconds, while a
// sleep and wake-up through the kernel costs tens of them (more in a virtual
// machine). So a wait first spins briefly, then keeps looking while handing
// the core to any other thread that wants it (on a busy machine the thread
// it waits for may need this core), and blocks only after kYieldTime.
// Between passes (files written) the workers do block.
constexpr int kSpinRounds = 256;
constexpr std::chrono::microseconds kYieldTime {500};

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

template <typename Ready>
bool SpinUntil(const Ready& ready) {
  for (int round = 0; round < kSpinRounds; ++round) {
    if (ready()) return true;
    CpuRelax();
  }
  const auto until = std::chrono::steady_clock::now() + kYieldTime;
  for (;;) {
    for (int round = 0; round < 16; ++round) {
      if (ready()) return true;
      std::this_thread::yield();
    }
    if (std::chrono::steady_clock::now() >= until) return ready();
  }
}

}  // namespace

bool CBatchWorkArea::Allocate(int count0, int count11, int count12, int threads) {
  const size_t n0 = static_cast<size_t>(count0), n11 = static_cast<size_t>(count11),
               n12 = static_cast<size_t>(count12);
  try {
    Sum.assign(n12 + n12 * n11 + n11 * n0, 0.0);
    Sum11.assign(n11, 0.0f);
    Out11.assign(n11, 0.0f);
    Sum12.assign(n12, 0.0f);
    Out12.assign(n12, 0.0f);
    Delta2.assign(n12, 0.0f);
    Index.assign(n0, 0);
    Value.assign(n0, 0.0f);
    Parts.assign(static_cast<size_t>(threads), nullptr);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void CBatchWorkArea::AddPattern(const CTdbpAnn& network, const CPatternView& pattern) {
  const int n0 = network.Count0, n11 = network.Count11, n12 = network.Count12;
  double* sum2 = Sum.data();
  double* sum12 = sum2 + n12;
  double* sum11 = sum12 + static_cast<size_t>(n12) * n11;
  const double alpha = network.Alpha, lambda = network.Lambda;
  double next = pattern.Expect;
  double share = 0;  // D_t = delta_t + lambda * D_t+1
  for (int t = pattern.StatusCount - 1; t >= 0; --t) {
    const float* x = pattern.Inputs(t);
    int count = 0;
    for (int i = 0; i < n0; ++i)
      if (x[i] != 0.0f) {
        Index[static_cast<size_t>(count)] = i;
        Value[static_cast<size_t>(count++)] = x[i];
      }
    float sumOut = 0, out = 0;
    network.ForwardSparse(Index.data(), Value.data(), count, Sum11.data(), Sum12.data(),
                          Out11.data(), Out12.data(), sumOut, out);
    const double y = out;
    share = alpha * (next - y) + lambda * share;
    next = y;
    // Every term below is D_t times dy_t/dw.
    const double g = share * y * (1.0 - y);
    for (int k = 0; k < n12; ++k) {
      const double h2 = Out12[static_cast<size_t>(k)];
      sum2[k] += g * h2;
      const double d = h2 * (1.0 - h2) * network.Weight2s[static_cast<size_t>(k)] * g;
      Delta2[static_cast<size_t>(k)] = static_cast<float>(d);
      double* row = sum12 + static_cast<size_t>(k) * n11;
      for (int j = 0; j < n11; ++j) row[j] += d * Out11[static_cast<size_t>(j)];
    }
    for (int j = 0; j < n11; ++j) {
      double back = 0;
      for (int k = 0; k < n12; ++k)
        back += static_cast<double>(network.Weight12s[static_cast<size_t>(k)][static_cast<size_t>(j)]) *
                Delta2[static_cast<size_t>(k)];
      const double h1 = Out11[static_cast<size_t>(j)];
      const double d = h1 * (1.0 - h1) * back;
      double* row = sum11 + static_cast<size_t>(j) * n0;
      for (int c = 0; c < count; ++c)
        row[Index[static_cast<size_t>(c)]] += d * Value[static_cast<size_t>(c)];
    }
  }
}

int CBatchLearner::Start(const CTdbpAnn& network, int threadCount, bool adam) {
  Stop();
  AdamSteps = 0;
  try {
    const size_t weights = static_cast<size_t>(network.Count12) * (1 + static_cast<size_t>(network.Count11)) +
                           static_cast<size_t>(network.Count11) * static_cast<size_t>(network.Count0);
    AdamMean.assign(adam ? weights : 0, 0.0f);
    AdamSquare.assign(adam ? weights : 0, 0.0f);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  threadCount = std::max(threadCount, 1);
  try {
    Areas.resize(static_cast<size_t>(threadCount));
    First.assign(static_cast<size_t>(threadCount) + 1, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  for (CBatchWorkArea& area : Areas)
    if (!area.Allocate(network.Count0, network.Count11, network.Count12, threadCount)) return 0;
  try {
    Rows.resize(static_cast<size_t>(1 + network.Count12 + network.Count11));
    RowFirst.assign(static_cast<size_t>(threadCount) + 1, 0);
    SumFirst.assign(static_cast<size_t>(threadCount) + 1, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  Quit = false;
  ThreadCount = 1;
  for (int k = 1; k < threadCount; ++k) {
    try {
      Workers.emplace_back(&CBatchLearner::WorkerLoop, this, k, Generation.load());
      ThreadCount = k + 1;
    } catch (const std::system_error&) {
      break;  // the batch is shared among those that did start
    }
  }
  // The rows' sums, then shares of about equal numbers of weights.
  const size_t n0 = static_cast<size_t>(network.Count0), n11 = static_cast<size_t>(network.Count11),
               n12 = static_cast<size_t>(network.Count12);
  size_t row = 0, at = 0;
  Rows[row++] = {nullptr, at, n12};
  at += n12;
  for (size_t k = 0; k < n12; ++k, at += n11) Rows[row++] = {nullptr, at, n11};
  for (size_t j = 0; j < n11; ++j, at += n0) Rows[row++] = {nullptr, at, n0};
  size_t done = 0, r = 0;
  for (size_t k = 1; k < static_cast<size_t>(ThreadCount); ++k) {
    const size_t goal = at * k / static_cast<size_t>(ThreadCount);
    while (r < Rows.size() && done + Rows[r].Length <= goal) done += Rows[r++].Length;
    RowFirst[k] = static_cast<int>(r);
    SumFirst[k] = done;
  }
  RowFirst[static_cast<size_t>(ThreadCount)] = static_cast<int>(Rows.size());
  SumFirst[static_cast<size_t>(ThreadCount)] = at;
  PositionWork = 3LL * network.Count12;
  return ThreadCount;
}

void CBatchLearner::Stop() {
  if (!Workers.empty()) {
    {
      std::lock_guard<std::mutex> lock(Mutex);
      Quit = true;
      Generation.fetch_add(1, std::memory_order_release);
    }
    Wake.notify_all();
    for (std::thread& worker : Workers) worker.join();
    Workers.clear();
  }
  ThreadCount = 0;
}

void CBatchLearner::WorkerLoop(int k, uint64_t seen) {
  for (;;) {
    const auto started = [&] { return Generation.load(std::memory_order_acquire) != seen; };
    if (!SpinUntil(started)) {
      std::unique_lock<std::mutex> lock(Mutex);
      Wake.wait(lock, started);
    }
    seen = Generation.load(std::memory_order_acquire);
    if (Quit.load(std::memory_order_acquire)) return;
    LearnShare(k);
    ApplyShare(k);
    if (Pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      std::lock_guard<std::mutex> lock(Mutex);
      Finished.notify_one();
    }
  }
}

void CBatchLearner::LearnShare(int k) {
  CBatchWorkArea& area = Areas[static_cast<size_t>(k)];
  // The sums the other threads applied from this area last time.
  const size_t first = SumFirst[static_cast<size_t>(k)], end = SumFirst[static_cast<size_t>(k) + 1];
  std::fill(area.Sum.begin(), area.Sum.begin() + static_cast<std::ptrdiff_t>(first), 0.0);
  std::fill(area.Sum.begin() + static_cast<std::ptrdiff_t>(end), area.Sum.end(), 0.0);
  for (int p = First[static_cast<size_t>(k)]; p < First[static_cast<size_t>(k) + 1]; ++p)
    area.AddPattern(*JobNetwork, JobPatterns[p]);
}

void CBatchLearner::Learn(CTdbpAnn& network, const CPatternView* patterns, int count) {
  if (count <= 0 || ThreadCount <= 0) return;
  const int threads = ThreadCount;
  if (threads > 1) SplitBatch(patterns, count);
  First[static_cast<size_t>(threads)] = count;
  JobNetwork = &network;
  JobPatterns = patterns;
  FindRows(network);
  if (!AdamMean.empty()) AdamRates = AdamRatesAt(network.Alpha, ++AdamSteps);
  Summed.store(0, std::memory_order_relaxed);

  if (threads > 1) {
    Pending.store(threads - 1, std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> lock(Mutex);
      Generation.fetch_add(1, std::memory_order_release);
    }
    Wake.notify_all();
  }
  LearnShare(0);
  ApplyShare(0);
  if (threads > 1) {
    const auto done = [&] { return Pending.load(std::memory_order_acquire) == 0; };
    if (!SpinUntil(done)) {
      std::unique_lock<std::mutex> lock(Mutex);
      Finished.wait(lock, done);
    }
  }
}

void CBatchLearner::SplitBatch(const CPatternView* patterns, int count) {
  // A position costs the second layer's passes (about 3 * Count12 sums of
  // Count11 terms) and each non-zero input two first-layer passes over
  // Count11 units: in units of Count11 terms, 3 * Count12 a position and 2
  // an input. Positions alone would leave a share of openings (32 pieces)
  // waiting for one of endings.
  const auto work = [&](const CPatternView& pattern) {
    return static_cast<long long>(pattern.StatusCount) * PositionWork + 2LL * pattern.InputCount;
  };
  long long total = 0;
  for (int p = 0; p < count; ++p) total += work(patterns[p]);
  First[0] = 0;
  long long done = 0;
  int p = 0;
  for (int k = 1; k < ThreadCount; ++k) {
    // A pattern goes to the earlier share when its middle lies before the goal.
    const long long goal = total * k / ThreadCount;
    while (p < count && 2 * done + work(patterns[p]) <= 2 * goal) done += work(patterns[p++]);
    First[static_cast<size_t>(k)] = p;
  }
}

void CBatchLearner::FindRows(CTdbpAnn& network) {
  // Written only when they moved: the other threads read them every batch.
  size_t row = 0;
  const auto find = [&](float* weights) {
    if (Rows[row].Weights != weights) Rows[row].Weights = weights;
    ++row;
  };
  find(network.Weight2s.data());
  for (std::vector<float>& weights : network.Weight12s) find(weights.data());
  for (std::vector<float>& weights : network.Weight11s) find(weights.data());
}

void CBatchLearner::ApplyShare(int k) {
  if (ThreadCount > 1) {
    // Every thread's sums must be complete before any is read.
    Summed.fetch_add(1, std::memory_order_acq_rel);
    const auto all = [&] { return Summed.load(std::memory_order_acquire) == ThreadCount; };
    while (!SpinUntil(all)) {
    }
  }
  CBatchWorkArea& own = Areas[static_cast<size_t>(k)];
  double** parts = own.Parts.data();
  const CRunSums sums {parts, ThreadCount, k};
  for (int r = RowFirst[static_cast<size_t>(k)]; r < RowFirst[static_cast<size_t>(k) + 1]; ++r) {
    const CRow& row = Rows[static_cast<size_t>(r)];
    for (size_t a = 0; a < static_cast<size_t>(ThreadCount); ++a) parts[a] = Areas[a].Sum.data() + row.At;
    if (AdamMean.empty())
      AddTotals(row.Weights, sums, row.Length);
    else
      AdamStep(row.Weights, sums, AdamMean.data() + row.At, AdamSquare.data() + row.At, row.Length, AdamRates);
  }
}
