#include "ann/td_learner.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

namespace {

std::atomic<int> g_WorkerStartLimit {-1};

// Single precision in storage, double for the intermediate products.
inline float AddProduct(float w, float delta, float e) {
  return static_cast<float>(static_cast<double>(w) + static_cast<double>(delta) * e);
}

// store_t = (store_t if withGradient, else 0) + lambda * store_t-1
void ChainTrace(float* store, const float* previous, float lambda, size_t size,
                bool withGradient) {
  const double l = lambda;
  if (withGradient)
    for (size_t i = 0; i < size; ++i) store[i] = static_cast<float>(store[i] + l * previous[i]);
  else
    for (size_t i = 0; i < size; ++i) store[i] = static_cast<float>(l * previous[i]);
}

float TdError(float alpha, float next, float y) {
  return static_cast<float>(static_cast<double>(alpha) * (static_cast<double>(next) - y));
}

void StepA(CTdbpAnnList& list, const CTdbpAnn& network, int category, const CPatternView& pattern,
           CTrainBuffers& buffers, int t) {
  const int own = pattern.Category(t);
  if (own == category)
    ForwardAndGradient(network, pattern.Inputs(t), buffers, t);
  else if (t > 0 && pattern.Category(t - 1) == category)
    ForwardOnly(list.GetAt(own), pattern.Inputs(t), buffers, t);
}

void RunWorker(const CTrainThreadParam& param) {
  for (int t = param.First; t < param.Pattern->StatusCount; t += param.Stride)
    StepA(*param.List, *param.Network, param.Category, *param.Pattern, *param.Buffers, t);
}

}  // namespace

int CTrainBuffers::Allocate(int count0, int count11, int count12, int positions) {
  Count0 = count0;
  Count11 = count11;
  Count12 = count12;
  HeadSize = static_cast<size_t>(3 * count11 + 3 * count12 + 3);
  StoreFloats = static_cast<size_t>(count12) + static_cast<size_t>(count12) * count11 +
                static_cast<size_t>(count11) * count0;
  SlotSize = HeadSize + StoreFloats;
  try {
    Data.assign(SlotSize * static_cast<size_t>(positions), 0.0f);
  } catch (const std::bad_alloc&) {
    Data.clear();
    return 0;
  }
  return 1;
}

void CTrainBuffers::ClearPositions(int count) {
  std::fill(Data.begin(), Data.begin() + static_cast<std::ptrdiff_t>(SlotSize) * count, 0.0f);
}

void ForwardOnly(const CTdbpAnn& network, const float* x, CTrainBuffers& buffers, int t) {
  network.Forward(x, buffers.Sum11(t), buffers.Sum12(t), buffers.Out11(t), buffers.Out12(t),
                  buffers.SumOut(t), buffers.Y(t));
}

void ForwardAndGradient(const CTdbpAnn& network, const float* x, CTrainBuffers& buffers, int t) {
  ForwardOnly(network, x, buffers, t);
  const int n0 = network.Count0, n11 = network.Count11, n12 = network.Count12;
  const float* h1 = buffers.Out11(t);
  const float* h2 = buffers.Out12(t);
  const double y = buffers.Y(t);
  const double g = y * (1.0 - y);
  float* grad2 = buffers.Store(t);
  float* grad12 = grad2 + n12;
  float* grad11 = grad12 + static_cast<size_t>(n12) * n11;

  float* delta2 = buffers.Delta2(t);
  float* delta1 = buffers.Delta1(t);
  for (int k = 0; k < n12; ++k) {
    const double out = h2[k];
    grad2[k] = static_cast<float>(g * out);
    const double d = out * (1.0 - out) * network.Weight2s[static_cast<size_t>(k)] * g;
    delta2[k] = static_cast<float>(d);
    float* row = grad12 + static_cast<size_t>(k) * n11;
    for (int j = 0; j < n11; ++j) row[j] = static_cast<float>(d * h1[j]);
  }
  for (int j = 0; j < n11; ++j) {
    double sum = 0;
    for (int k = 0; k < n12; ++k)
      sum += static_cast<double>(network.Weight12s[static_cast<size_t>(k)][static_cast<size_t>(j)]) *
             delta2[k];
    const double out = h1[j];
    delta1[j] = static_cast<float>(out * (1.0 - out) * sum);
  }
  for (int j = 0; j < n11; ++j) {
    float* row = grad11 + static_cast<size_t>(j) * n0;
    const double d = delta1[j];
    for (int i = 0; i < n0; ++i) row[i] = static_cast<float>(d * x[i]);
  }
}

void ApplyStore(CTdbpAnn& network, float delta, const float* store) {
  const int n0 = network.Count0, n11 = network.Count11, n12 = network.Count12;
  const float* grad2 = store;
  const float* grad12 = grad2 + n12;
  const float* grad11 = grad12 + static_cast<size_t>(n12) * n11;
  for (int k = 0; k < n12; ++k) {
    float& w2 = network.Weight2s[static_cast<size_t>(k)];
    w2 = AddProduct(w2, delta, grad2[k]);
    float* row = network.Weight12s[static_cast<size_t>(k)].data();
    const float* e = grad12 + static_cast<size_t>(k) * n11;
    for (int j = 0; j < n11; ++j) row[j] = AddProduct(row[j], delta, e[j]);
  }
  for (int j = 0; j < n11; ++j) {
    float* row = network.Weight11s[static_cast<size_t>(j)].data();
    const float* e = grad11 + static_cast<size_t>(j) * n0;
    for (int i = 0; i < n0; ++i) row[i] = AddProduct(row[i], delta, e[i]);
  }
}

void LearnPattern(CTdbpAnn& network, const CPatternView& pattern, CTrainBuffers& buffers) {
  const int count = pattern.StatusCount;
  if (count <= 0) return;
  float next = pattern.Expect;
  for (int t = count - 1; t >= 0; --t) {
    ForwardAndGradient(network, pattern.Inputs(t), buffers, t);
    buffers.Delta(t) = TdError(network.Alpha, next, buffers.Y(t));
    next = buffers.Y(t);
  }
  ApplyStore(network, buffers.Delta(0), buffers.Store(0));
  for (int t = 1; t < count; ++t) {
    ChainTrace(buffers.Store(t), buffers.Store(t - 1), network.Lambda, buffers.StoreSize(), true);
    ApplyStore(network, buffers.Delta(t), buffers.Store(t));
  }
}

void SetWorkerStartLimit(int limit) { g_WorkerStartLimit = limit; }

int LearnWorker(CTrainThreadParam* param) {
  RunWorker(*param);
  return 0;
}

void LearnPatternCategory(CTdbpAnnList& list, int category, const CPatternView& pattern,
                          CTrainBuffers& buffers, int threadCount) {
  const int count = pattern.StatusCount;
  if (count <= 0) return;
  CTdbpAnn& network = list.GetAt(category);
  buffers.ClearPositions(count);

  threadCount = std::min(threadCount, MAX_TRAIN_THREADS);
  if (threadCount > 1) {
    CTrainThreadParam params[MAX_TRAIN_THREADS];
    std::thread workers[MAX_TRAIN_THREADS];
    bool started[MAX_TRAIN_THREADS] = {};
    const int limit = g_WorkerStartLimit.load();
    for (int k = 0; k < threadCount; ++k) {
      CTrainThreadParam& param = params[k];
      param.List = &list;
      param.Network = &network;
      param.Pattern = &pattern;
      param.Category = category;
      param.First = k;
      param.Stride = threadCount;
      param.Buffers = &buffers;
      if (limit >= 0 && k >= limit) continue;
      try {
        workers[k] = std::thread(LearnWorker, &param);
        started[k] = true;
      } catch (const std::system_error&) {
      }
    }
    // Positions of workers that could not start are done here meanwhile.
    for (int k = 0; k < threadCount; ++k)
      if (!started[k]) LearnWorker(&params[k]);
    for (int k = 0; k < threadCount; ++k)
      if (started[k]) workers[k].join();
  } else {
    for (int t = count - 1; t >= 0; --t) StepA(list, network, category, pattern, buffers, t);
  }

  float next = pattern.Expect;
  for (int t = count - 1; t >= 0; --t) {
    if (pattern.Category(t) == category) buffers.Delta(t) = TdError(network.Alpha, next, buffers.Y(t));
    next = buffers.Y(t);
  }
  if (pattern.Category(0) == category) ApplyStore(network, buffers.Delta(0), buffers.Store(0));
  int first = -1, last = -1;
  for (int t = 1; t < count; ++t)
    if (pattern.Category(t) == category) {
      if (first < 0) first = t;
      last = t;
    }
  if (first < 0) return;
  for (int t = first; t <= last; ++t) {
    const bool own = pattern.Category(t) == category;
    ChainTrace(buffers.Store(t), buffers.Store(t - 1), network.Lambda, buffers.StoreSize(), own);
    if (own) ApplyStore(network, buffers.Delta(t), buffers.Store(t));
  }
}

void LearnPatternList(CTdbpAnnList& list, const CPatternView& pattern, CTrainBuffers& buffers) {
  const int count = pattern.StatusCount;
  if (count <= 0) return;
  float next = pattern.Expect;
  for (int t = count - 1; t >= 0; --t) {
    const CTdbpAnn& network = list.GetAt(pattern.Category(t));
    ForwardAndGradient(network, pattern.Inputs(t), buffers, t);
    buffers.Delta(t) = TdError(network.Alpha, next, buffers.Y(t));
    next = buffers.Y(t);
  }
  ApplyStore(list.GetAt(pattern.Category(0)), buffers.Delta(0), buffers.Store(0));
  for (int t = 1; t < count; ++t) {
    CTdbpAnn& network = list.GetAt(pattern.Category(t));
    if (pattern.Category(t) == pattern.Category(t - 1))
      ChainTrace(buffers.Store(t), buffers.Store(t - 1), network.Lambda, buffers.StoreSize(),
                 true);
    ApplyStore(network, buffers.Delta(t), buffers.Store(t));
  }
}
