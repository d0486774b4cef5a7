#include "ann/tdbp_ann.h"

#include <algorithm>
#include <new>

#include "common/random.h"

namespace {

// Weighted sums of a layer: sums[i] = sum over k of value[k] * rows[i][index[k]]
// (index[k] = k when dense), each sum taking its terms in k order with every
// partial sum rounded to float. Units go eight at a time with their sums in
// registers, so the eight chains of additions run side by side; a last,
// partial block repeats the last row and drops the extra sums.
template <bool Dense>
void LayerSums(const std::vector<std::vector<float>>& weights, int units, const int32_t* index,
               const float* value, int count, float* sums) {
  constexpr int kBlock = 8;
  for (int base = 0; base < units; base += kBlock) {
    const float* rows[kBlock];
    float block[kBlock];
    for (int u = 0; u < kBlock; ++u) {
      rows[u] = weights[static_cast<size_t>(std::min(base + u, units - 1))].data();
      block[u] = 0.0f;
    }
    for (int k = 0; k < count; ++k) {
      const int j = Dense ? k : index[k];
      const float x = value[k];
      for (int u = 0; u < kBlock; ++u) {
        const float product = x * rows[u][j];
        block[u] = block[u] + product;
      }
    }
    const int used = std::min(kBlock, units - base);
    for (int u = 0; u < used; ++u) sums[base + u] = block[u];
  }
}

// Hidden layer 2 and the output, from the hidden-1 sums.
void FinishForward(const CTdbpAnn& ann, const float* sum11, float* sum12, float* out11,
                   float* out12, float& sumOut, float& out) {
  LogisticMany(sum11, out11, ann.Count11);
  LayerSums<true>(ann.Weight12s, ann.Count12, nullptr, out11, ann.Count11, sum12);
  sumOut = 0.0f;
  for (int i = 0; i < ann.Count12; ++i) {
    out12[i] = Logistic(sum12[i]);
    const float product = out12[i] * ann.Weight2s[static_cast<size_t>(i)];
    sumOut = sumOut + product;
  }
  out = Logistic(sumOut);
}

}  // namespace

void CTdbpAnn::WeightsChanged() {
  static std::atomic<uint64_t> lastVersion {0};
  WeightVersion = ++lastVersion;
}

CTdbpAnn::CTdbpAnn(int count0, int count11, int count12, float lower, float upper,
                   int maxLearnCount, int autoSaveCount, int threadCount, float alpha,
                   float lambda) {
  Create(count0, count11, count12, lower, upper, maxLearnCount, autoSaveCount, threadCount,
         alpha, lambda);
}

void CTdbpAnn::Destroy() {
  Count0 = Count11 = Count12 = 0;
  Lower = Upper = 0;
  MaxLearnCount = AutoSaveCount = ThreadCount = 0;
  Alpha = Lambda = 0;
  Weight11s.clear();
  Weight12s.clear();
  Weight2s.clear();
  Sum11.clear();
  Out11.clear();
  Sum12.clear();
  Out12.clear();
  SumOut = 0;
  Out = 0;
  CurrLearnCount = 0;
  Running = 0;
  WeightsChanged();
}

int CTdbpAnn::Create(int count0, int count11, int count12, float lower, float upper,
                     int maxLearnCount, int autoSaveCount, int threadCount, float alpha,
                     float lambda) {
  Destroy();
  if (count0 <= 0 || count11 <= 0 || count12 <= 0) return 1;  // stays empty
  if (count0 > ANN_MAX_UNITS || count11 > ANN_MAX_UNITS || count12 > ANN_MAX_UNITS ||
      static_cast<long long>(count0) * count11 + static_cast<long long>(count11) * count12 >
          ANN_MAX_WEIGHTS)
    return 0;
  try {
    Weight11s.assign(static_cast<size_t>(count11), std::vector<float>(static_cast<size_t>(count0)));
    Weight12s.assign(static_cast<size_t>(count12), std::vector<float>(static_cast<size_t>(count11)));
    Weight2s.assign(static_cast<size_t>(count12), 0.0f);
    Sum11.assign(static_cast<size_t>(count11), 0.0f);
    Out11.assign(static_cast<size_t>(count11), 0.0f);
    Sum12.assign(static_cast<size_t>(count12), 0.0f);
    Out12.assign(static_cast<size_t>(count12), 0.0f);
  } catch (const std::bad_alloc&) {
    Destroy();
    return 0;
  }
  Count0 = count0;
  Count11 = count11;
  Count12 = count12;
  Lower = lower;
  Upper = upper;
  MaxLearnCount = maxLearnCount;
  AutoSaveCount = autoSaveCount;
  ThreadCount = threadCount;
  Alpha = alpha;
  Lambda = lambda;
  Randomize(lower, upper);
  SumOut = 0;
  Out = 0;
  CurrLearnCount = 0;
  Running = 0;
  return 1;
}

int CTdbpAnn::Randomize(float lower, float upper) {
  Lower = lower;
  Upper = upper;
  const float step = (upper - lower) * 3.0518509e-05f;
  auto next = [&] {
    const float scaled = static_cast<float>(Rand15()) * step;
    return scaled + lower;
  };
  for (auto& row : Weight11s)
    for (float& w : row) w = next();
  for (auto& row : Weight12s)
    for (float& w : row) w = next();
  for (float& w : Weight2s) w = next();
  WeightsChanged();
  return 1;
}

// A zero input adds +0 or -0 to a sum, which leaves it as it was (a sum that
// starts at +0 never becomes -0), so leaving the zero inputs out changes no
// bit of any result.
int CTdbpAnn::Forward(const float* input, float* sum11, float* sum12, float* out11, float* out12,
                      float& sumOut, float& out) const {
  constexpr int kMaxGathered = 256;
  if (Count0 > kMaxGathered) {
    LayerSums<true>(Weight11s, Count11, nullptr, input, Count0, sum11);
    FinishForward(*this, sum11, sum12, out11, out12, sumOut, out);
    return 1;
  }
  int32_t index[kMaxGathered];
  float value[kMaxGathered];
  int count = 0;
  for (int j = 0; j < Count0; ++j)
    if (input[j] != 0.0f) {
      index[count] = j;
      value[count++] = input[j];
    }
  return ForwardSparse(index, value, count, sum11, sum12, out11, out12, sumOut, out);
}

int CTdbpAnn::ForwardSparse(const int32_t* index, const float* value, int count, float* sum11,
                            float* sum12, float* out11, float* out12, float& sumOut,
                            float& out) const {
  LayerSums<false>(Weight11s, Count11, index, value, count, sum11);
  FinishForward(*this, sum11, sum12, out11, out12, sumOut, out);
  return 1;
}

int CTdbpAnn::Evaluate(const float* input) {
  return Forward(input, Sum11.data(), Sum12.data(), Out11.data(), Out12.data(), SumOut, Out);
}

int CTdbpAnn::CopyFrom(const CTdbpAnn& other) {
  if (this == &other) return 1;
  if (!Create(other.Count0, other.Count11, other.Count12, other.Lower, other.Upper,
              other.MaxLearnCount, other.AutoSaveCount, other.ThreadCount, other.Alpha,
              other.Lambda))
    return 0;
  if (!other.IsEmpty()) {
    Weight11s = other.Weight11s;
    Weight12s = other.Weight12s;
    Weight2s = other.Weight2s;
    Sum11 = other.Sum11;
    Out11 = other.Out11;
    Sum12 = other.Sum12;
    Out12 = other.Out12;
  }
  SumOut = other.SumOut;
  Out = other.Out;
  CurrLearnCount = other.CurrLearnCount;
  Running = other.Running.load();
  WeightsChanged();
  return 1;
}

void CTdbpAnn::MoveFrom(CTdbpAnn& other) noexcept {
  Count0 = other.Count0;
  Count11 = other.Count11;
  Count12 = other.Count12;
  Lower = other.Lower;
  Upper = other.Upper;
  MaxLearnCount = other.MaxLearnCount;
  AutoSaveCount = other.AutoSaveCount;
  ThreadCount = other.ThreadCount;
  Alpha = other.Alpha;
  Lambda = other.Lambda;
  Weight11s = std::move(other.Weight11s);
  Weight12s = std::move(other.Weight12s);
  Weight2s = std::move(other.Weight2s);
  Sum11 = std::move(other.Sum11);
  Out11 = std::move(other.Out11);
  Sum12 = std::move(other.Sum12);
  Out12 = std::move(other.Out12);
  SumOut = other.SumOut;
  Out = other.Out;
  CurrLearnCount = other.CurrLearnCount;
  Running = other.Running.load();
  WeightsChanged();
  other.Destroy();
}
