#pragma once
// TD(lambda) learning of one pattern (one game) by back-propagation: each
// position learns to predict the value of the next one, the last one the
// game's result. The forward passes of a pattern all use the weights as they
// were before it; the weights change afterwards, position by position, along
// eligibility traces (e_t = dy_t/dw + lambda * e_t-1).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ann/sample_file.h"
#include "ann/tdbp_ann_list.h"
#include "ann/training_samples.h"

// Work buffers for the positions of a pattern: per position the hidden sums
// and outputs, the output y, the error delta (already times Alpha), and a
// store that first takes dy/dw of every weight and then becomes the trace.
// Store layout: Weight2s (Count12), then Weight12s row by row, then
// Weight11s row by row.
class CTrainBuffers {
 public:
  // 0 when the memory cannot be had.
  int Allocate(int count0, int count11, int count12, int positions = MAX_PATTERN_STATUSES);
  bool Fits(const CTdbpAnn& network) const {
    return network.Count0 == Count0 && network.Count11 == Count11 && network.Count12 == Count12;
  }
  // Zeroes the stores, outputs and errors of positions 0..count-1.
  void ClearPositions(int count);

  float* Sum11(int t) { return Slot(t); }
  float* Out11(int t) { return Slot(t) + Count11; }
  float* Sum12(int t) { return Slot(t) + 2 * Count11; }
  float* Out12(int t) { return Slot(t) + 2 * Count11 + Count12; }
  float& SumOut(int t) { return Slot(t)[2 * Count11 + 2 * Count12]; }
  float& Y(int t) { return Slot(t)[2 * Count11 + 2 * Count12 + 1]; }
  float& Delta(int t) { return Slot(t)[2 * Count11 + 2 * Count12 + 2]; }
  // Back-propagated errors of the hidden units.
  float* Delta2(int t) { return Slot(t) + 2 * Count11 + 2 * Count12 + 3; }
  float* Delta1(int t) { return Slot(t) + 2 * Count11 + 3 * Count12 + 3; }
  float* Store(int t) { return Slot(t) + HeadSize; }
  size_t StoreSize() const { return StoreFloats; }

 private:
  float* Slot(int t) { return Data.data() + static_cast<size_t>(t) * SlotSize; }

  int Count0 = 0, Count11 = 0, Count12 = 0;
  size_t HeadSize = 0, StoreFloats = 0, SlotSize = 0;
  std::vector<float> Data;
};

// Forward pass of input x into position t's buffers, then dy/dw into its store.
void ForwardAndGradient(const CTdbpAnn& network, const float* x, CTrainBuffers& buffers, int t);
// Forward pass only, for y_t.
void ForwardOnly(const CTdbpAnn& network, const float* x, CTrainBuffers& buffers, int t);
// Every weight w += delta * its store entry.
void ApplyStore(CTdbpAnn& network, float delta, const float* store);

// Every status trains the network.
void LearnPattern(CTdbpAnn& network, const CPatternView& pattern, CTrainBuffers& buffers);

// Only statuses of the given category train list[category]; the step that
// computes the positions' outputs is shared by threadCount threads
// (at most 64; 1 or less: none).
void LearnPatternCategory(CTdbpAnnList& list, int category, const CPatternView& pattern,
                          CTrainBuffers& buffers, int threadCount);

// Each status trains the network of its own category (all of one size).
void LearnPatternList(CTdbpAnnList& list, const CPatternView& pattern, CTrainBuffers& buffers);

// What one worker thread of LearnPatternCategory is given.
class CTrainThreadParam {
 public:
  virtual ~CTrainThreadParam() = default;
  CTdbpAnnList* List = nullptr;
  const CTdbpAnn* Network = nullptr;
  const CPatternView* Pattern = nullptr;
  int Category = 0;
  int First = 0;   // the worker's first position
  int Stride = 1;  // the thread count
  CTrainBuffers* Buffers = nullptr;
};

// The worker: positions First, First + Stride, ... of the pattern. Returns 0.
int LearnWorker(CTrainThreadParam* param);

// Most worker threads one pattern may use.
constexpr int MAX_TRAIN_THREADS = 64;

// Test seam: at most this many worker threads start per pattern (-1: no
// limit); the positions of a worker that does not start are done by the
// calling thread.
void SetWorkerStartLimit(int limit);
