#include "ann/tdbp_ann.h"

#include <cmath>
#include <new>

#include "common/random.h"

namespace {

// 1 / (1 + e^-x) as the reference defines it: extended precision, then float.
float LogisticExtended(float x) {
  const long double e = expl(-static_cast<long double>(x));
  return static_cast<float>(1.0L / (1.0L + e));
}

}  // namespace

// The double-precision value lies within a few double ulps of the exact one,
// and so does the extended-precision one. Unless a float rounding boundary
// (the midpoint between two neighbouring floats) lies within a wide margin of
// it, both round to the same float; only then is the slow path needed, about
// once in 60000 calls.
float Logistic(float x) {
  const double d = 1.0 / (1.0 + std::exp(-static_cast<double>(x)));
  const float f = static_cast<float>(d);
  const double up = (static_cast<double>(f) + std::nextafter(f, INFINITY)) * 0.5;
  const double down = (static_cast<double>(f) + std::nextafter(f, -INFINITY)) * 0.5;
  const double margin = d * 0x1p-40;
  if (std::fabs(d - up) > margin && std::fabs(d - down) > margin) return f;
  return LogisticExtended(x);
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
  return 1;
}

int CTdbpAnn::Forward(const float* input, float* sum11, float* sum12, float* out11, float* out12,
                      float& sumOut, float& out) const {
  // Gather the non-zero inputs; a network with more inputs than the stack
  // buffer is walked in chunks, which keeps the j order of every sum.
  constexpr int kChunk = 256;
  int32_t index[kChunk];
  float value[kChunk];
  if (Count0 <= kChunk) {
    int count = 0;
    for (int j = 0; j < Count0; ++j)
      if (input[j] != 0.0f) {
        index[count] = j;
        value[count++] = input[j];
      }
    return ForwardSparse(index, value, count, sum11, sum12, out11, out12, sumOut, out);
  }
  // Large network: plain dense pass in the same order.
  for (int i = 0; i < Count11; ++i) sum11[i] = 0.0f;
  for (int j = 0; j < Count0; ++j) {
    const float x = input[j];
    if (x == 0.0f) continue;
    for (int i = 0; i < Count11; ++i) {
      const float product = x * Weight11s[i][j];
      sum11[i] = sum11[i] + product;
    }
  }
  for (int i = 0; i < Count11; ++i) out11[i] = Logistic(sum11[i]);
  sumOut = 0.0f;
  for (int i = 0; i < Count12; ++i) {
    const float* w = Weight12s[i].data();
    float sum = 0.0f;
    for (int j = 0; j < Count11; ++j) {
      const float product = w[j] * out11[j];
      sum = sum + product;
    }
    sum12[i] = sum;
    out12[i] = Logistic(sum);
    const float product = out12[i] * Weight2s[i];
    sumOut = sumOut + product;
  }
  out = Logistic(sumOut);
  return 1;
}

int CTdbpAnn::ForwardSparse(const int32_t* index, const float* value, int count, float* sum11,
                            float* sum12, float* out11, float* out12, float& sumOut,
                            float& out) const {
  // Hidden layer 1, input-major: every unit's sum still takes its terms in
  // ascending input order, and the units' sums are independent of each other.
  constexpr int kRows = 64;
  const float* rows[kRows];
  for (int i = 0; i < Count11; ++i) sum11[i] = 0.0f;
  for (int base = 0; base < Count11; base += kRows) {
    const int units = Count11 - base < kRows ? Count11 - base : kRows;
    for (int i = 0; i < units; ++i) rows[i] = Weight11s[static_cast<size_t>(base + i)].data();
    float* sums = sum11 + base;
    for (int k = 0; k < count; ++k) {
      const int j = index[k];
      const float x = value[k];
      for (int i = 0; i < units; ++i) {
        const float product = x * rows[i][j];
        sums[i] = sums[i] + product;
      }
    }
  }
  for (int i = 0; i < Count11; ++i) out11[i] = Logistic(sum11[i]);

  sumOut = 0.0f;
  for (int i = 0; i < Count12; ++i) {
    const float* w = Weight12s[static_cast<size_t>(i)].data();
    float sum = 0.0f;
    for (int j = 0; j < Count11; ++j) {
      const float product = w[j] * out11[j];
      sum = sum + product;
    }
    sum12[i] = sum;
    out12[i] = Logistic(sum);
    const float product = out12[i] * Weight2s[static_cast<size_t>(i)];
    sumOut = sumOut + product;
  }
  out = Logistic(sumOut);
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
  other.Destroy();
}
