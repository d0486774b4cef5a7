#pragma once
// Mini-batch TD(lambda) learning for one network. A batch of patterns is
// learned from the weights as they were before it: every pattern's whole
// update (the sum over its positions of delta_t * e_t, as the one-pattern
// learner makes it) is summed over the batch and the sum applied once. The
// patterns of a batch can be shared among persistent worker threads, in
// shares of about equal work, each summing into its own accumulator; the
// accumulators are added in thread order, so a run's result depends only on
// its thread count. Each thread then applies the sums of its own part of the
// weights. A thread writes only its own accumulator: it clears the sums it
// applied as it reads them, and those the others applied from it (read by
// then) before it sums the next batch, so no cache line of sums is written
// by two cores.
//
// A pattern's update is not formed along its traces here: since
// e_t = sum over s <= t of lambda^(t-s) * g_s (g_s = dy_s/dw), the sum of
// delta_t * e_t equals the sum of D_s * g_s with D_s = delta_s + lambda * D_s+1.
// One sweep from the last position to the first then gives each position's
// share with no trace to carry, and the first layer's share touches only the
// rows of the non-zero inputs.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "ann/sample_file.h"
#include "ann/tdbp_ann.h"
#include "ann/weight_steps.h"
#include "common/cache_line_vector.h"

// What one thread needs for its share of a batch. Every array fills whole
// cache lines of its own: the thread writes them for every position, and a
// line shared with another thread's data would travel between the cores.
struct CBatchWorkArea {
  // Sizes everything for networks of these counts learned by `threads`
  // threads; false when memory lacks.
  bool Allocate(int count0, int count11, int count12, int threads);
  // Adds the whole update of one pattern, computed from the network's
  // weights as they are, into Sum (layout: Weight2s, the rows of
  // Weight12s, the rows of Weight11s).
  void AddPattern(const CTdbpAnn& network, const CPatternView& pattern);

  CCacheLineVector<double> Sum;
  CCacheLineVector<double*> Parts;  // when applying: where each thread's sums of a row lie
  CCacheLineVector<float> Sum11, Out11, Sum12, Out12, Delta2;
  CCacheLineVector<int32_t> Index;  // the non-zero inputs of the position at hand
  CCacheLineVector<float> Value;
};

class CBatchLearner {
 public:
  CBatchLearner() = default;
  ~CBatchLearner() { Stop(); }
  CBatchLearner(const CBatchLearner&) = delete;
  CBatchLearner& operator=(const CBatchLearner&) = delete;

  // Sizes the work areas for networks shaped like `network` and starts
  // threadCount - 1 worker threads (the caller does the first share).
  // Returns the number of threads that share a batch (fewer than asked when
  // a thread cannot be started), 0 when memory lacks.
  // adam: each weight moves by Adam's rule (AdamStep) instead of by the
  // summed update itself. Every weight then takes steps of about Alpha
  // whatever the size of its inputs, where the plain rule moves the first
  // layer's weights of small inputs (a pawn's 0.01) hundreds of times
  // slower than those of the kings' 1.0.
  int Start(const CTdbpAnn& network, int threadCount, bool adam = false);
  // Ends the workers; Start may be called again.
  void Stop();
  int Threads() const { return ThreadCount; }

  // Learns patterns[0..count-1] as one batch and applies the summed update.
  // Allocates nothing.
  void Learn(CTdbpAnn& network, const CPatternView* patterns, int count);

 private:
  // seen: the generation at the worker's start (a learner started again
  // does not begin from 0).
  void WorkerLoop(int k, uint64_t seen);
  void LearnShare(int k);
  // Sets out the shares of a batch: each thread's patterns, of about equal work.
  void SplitBatch(const CPatternView* patterns, int count);
  // Points the rows at the weights of `network`.
  void FindRows(CTdbpAnn& network);
  // After every thread has summed its patterns: thread k adds the sums of
  // its rows, in thread order, to the weights.
  void ApplyShare(int k);

  std::vector<CBatchWorkArea> Areas;
  std::vector<std::thread> Workers;
  // A run of weights and where its sums lie: Weight2s, then each row of
  // Weight12s and Weight11s. Thread k applies rows RowFirst[k]..RowFirst[k+1]-1,
  // whose sums are Sum[SumFirst[k]..SumFirst[k+1]-1].
  struct CRow {
    float* Weights;
    size_t At;
    size_t Length;
  };
  std::vector<CRow> Rows;
  std::vector<int> RowFirst;
  std::vector<size_t> SumFirst;
  // Adam's state, by the sums' layout; empty when the plain rule applies.
  std::vector<float> AdamMean, AdamSquare;
  long long AdamSteps = 0;
  CAdamRates AdamRates;  // this step's
  int ThreadCount = 0;

  // The batch at hand and each thread's first pattern of it (share k is
  // patterns First[k]..First[k+1]-1).
  const CTdbpAnn* JobNetwork = nullptr;
  const CPatternView* JobPatterns = nullptr;
  std::vector<int> First;
  long long PositionWork = 0;  // a position's work beside its inputs' (SplitBatch)

  // A new Generation starts a batch; Summed counts the threads done summing
  // their patterns, Pending the workers not yet done with the batch. Each
  // on a cache line of its own: the threads write them at different times.
  std::mutex Mutex;
  std::condition_variable Wake, Finished;
  alignas(kCacheLineBytes) std::atomic<uint64_t> Generation {0};
  alignas(kCacheLineBytes) std::atomic<int> Summed {0};
  alignas(kCacheLineBytes) std::atomic<int> Pending {0};
  std::atomic<bool> Quit {false};
};
